// A page as the control shows it: a document with its body, its window and its document element
// (markup "<body>Hello</body>", text "Hello"), which the control's double hands out as its
// Document and which the page's link and picture collections belong to.
#pragma once

#include "tests/browser/FakeBrowser.h"

namespace tn::test {

template <typename Browser = FakeBrowser> struct FakePage {
    Browser browser;
    FakeDocument doc;
    FakeElement body{L"BODY"};
    FakeElement root{L"HTML"};
    FakeWindow window;
    FakeCollection links, images;

    FakePage() {
        doc.SetBody(&body);
        doc.SetWindow(&window);
        doc.bag.SetObject(L"documentElement", root.Dispatch());
        doc.bag.SetObject(L"links", links.Dispatch());
        doc.bag.SetObject(L"images", images.Dispatch());
        root.bag.Set(L"innerHTML", L"<body>Hello</body>");
        root.bag.Set(L"innerText", L"Hello");
        browser.SetDocument(doc.Dispatch());
    }
    FakePage(const FakePage&) = delete;
    FakePage& operator=(const FakePage&) = delete;
    // The control's automation object, and the document it shows.
    IDispatch* App() noexcept { return browser.Dispatch(); }
    IUnknown* Doc() noexcept { return doc.Unknown(); }
};

} // namespace tn::test
