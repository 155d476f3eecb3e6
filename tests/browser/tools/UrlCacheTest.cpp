// The cache walks, the typed-address list, the URL history and the online state.
#include "browser/tools/UrlCache.h"

#include "classlib/ComPtr.h"
#include "classlib/Registry.h"
#include "tests/browser/InternetClientStub.h"

#include <gtest/gtest.h>

#include <urlhist.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tn;

constexpr DWORD kEdited = 0x8;       // EDITED_CACHE_ENTRY
constexpr DWORD kSparse = 0x10000;   // SPARSE_CACHE_ENTRY
constexpr DWORD kCookie = 0x100000;  // COOKIE_CACHE_ENTRY
constexpr DWORD kHistory = 0x200000; // URLHISTORY_CACHE_ENTRY

// A user cache that answers as the system does: a size query without a buffer fails with 122
// and does not move on; a read fills the buffer and moves on; the end is 259.
class FakeCache : public test::InternetClientStub {
public:
    struct Entry {
        std::wstring url;
        std::wstring file;
        DWORD type = NORMAL_CACHE_ENTRY;
        bool deleted = false;
    };
    mutable std::vector<Entry> entries;
    mutable std::vector<DWORD> filters;
    mutable std::vector<HANDLE> closed;
    mutable std::vector<std::wstring> deletes;
    mutable int nextCalls = 0;
    std::vector<std::wstring> undeletable;
    // Failures that the next buffered reads report instead of reading, first to last.
    mutable std::vector<DWORD> readFailures;
    // A code that every size query of the next-entry calls reports instead of 122.
    std::optional<DWORD> probeFailure;

    void Add(std::wstring url, std::wstring file, DWORD type = NORMAL_CACHE_ENTRY) {
        entries.push_back({std::move(url), std::move(file), type});
    }
    [[nodiscard]] std::vector<std::wstring> Remaining() const {
        std::vector<std::wstring> r;
        for (const Entry& e : entries)
            if (!e.deleted) r.push_back(e.url);
        return r;
    }

    HANDLE FindFirstUrlCacheEntryEx(LPCWSTR pattern, DWORD flags, DWORD filter, GROUPID group,
                                    INTERNET_CACHE_ENTRY_INFOW* entry,
                                    DWORD* size) const noexcept override {
        filters.push_back(filter);
        if (pattern || flags || group) return Fail(ERROR_INVALID_PARAMETER);
        cursor_ = 0;
        filter_ = filter;
        return Read(entry, size) ? Handle() : nullptr;
    }
    BOOL FindNextUrlCacheEntryEx(HANDLE enumeration, INTERNET_CACHE_ENTRY_INFOW* entry,
                                 DWORD* size) const noexcept override {
        return Next(enumeration, entry, size);
    }
    HANDLE FindFirstUrlCacheEntry(LPCWSTR pattern, INTERNET_CACHE_ENTRY_INFOW* entry,
                                  DWORD* size) const noexcept override {
        if (pattern) return Fail(ERROR_INVALID_PARAMETER);
        cursor_ = 0;
        filter_ = ~DWORD(0);
        return Read(entry, size) ? Handle() : nullptr;
    }
    BOOL FindNextUrlCacheEntry(HANDLE enumeration, INTERNET_CACHE_ENTRY_INFOW* entry,
                               DWORD* size) const noexcept override {
        return Next(enumeration, entry, size);
    }
    BOOL FindCloseUrlCache(HANDLE enumeration) const noexcept override {
        closed.push_back(enumeration);
        return enumeration == Handle();
    }
    BOOL DeleteUrlCacheEntry(LPCWSTR url) const noexcept override {
        deletes.emplace_back(url);
        for (const std::wstring& u : undeletable)
            if (u == url) return FALSE;
        for (Entry& e : entries)
            if (!e.deleted && e.url == url) {
                e.deleted = true;
                return TRUE;
            }
        return FALSE;
    }

private:
    static HANDLE Handle() noexcept { return reinterpret_cast<HANDLE>(0x5A5A); }
    static HANDLE Fail(DWORD code) noexcept {
        ::SetLastError(code);
        return nullptr;
    }

    BOOL Next(HANDLE enumeration, INTERNET_CACHE_ENTRY_INFOW* entry, DWORD* size) const noexcept {
        ++nextCalls;
        if (enumeration != Handle()) return Fail(ERROR_INVALID_HANDLE) != nullptr;
        if (!entry && probeFailure) return Fail(*probeFailure) != nullptr;
        if (entry && !readFailures.empty()) {
            const DWORD code = readFailures.front();
            readFailures.erase(readFailures.begin());
            return Fail(code) != nullptr;
        }
        return Read(entry, size);
    }

    // The entry at the cursor (skipping deleted and unselected ones), laid out as the system does:
    // the record, then the URL and the file name.
    bool Read(INTERNET_CACHE_ENTRY_INFOW* entry, DWORD* size) const noexcept {
        while (cursor_ < entries.size() &&
               (entries[cursor_].deleted || !(entries[cursor_].type & filter_)))
            ++cursor_;
        if (cursor_ >= entries.size()) return Fail(ERROR_NO_MORE_ITEMS) != nullptr;
        const Entry& e = entries[cursor_];
        const DWORD urlBytes = DWORD((e.url.size() + 1) * sizeof(wchar_t));
        const DWORD needed =
            DWORD(sizeof(INTERNET_CACHE_ENTRY_INFOW) + urlBytes + (e.file.size() + 1) * 2);
        if (!entry || *size < needed) {
            *size = needed;
            return Fail(ERROR_INSUFFICIENT_BUFFER) != nullptr;
        }
        std::memset(entry, 0, needed);
        auto* text = reinterpret_cast<wchar_t*>(entry + 1);
        entry->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOW);
        entry->lpszSourceUrlName = text;
        std::memcpy(text, e.url.c_str(), urlBytes);
        entry->lpszLocalFileName = text + e.url.size() + 1;
        std::memcpy(entry->lpszLocalFileName, e.file.c_str(), (e.file.size() + 1) * 2);
        entry->CacheEntryType = e.type;
        ++cursor_;
        return true;
    }

    mutable size_t cursor_ = 0;
    mutable DWORD filter_ = 0;
};

TEST(UrlCacheClear, DeletesPagesCookiesAndHistoryOfEverySiteButNotEditedOrSparseEntries) {
    FakeCache cache;
    cache.Add(L"http://game.example/index.html", L"C:\\c\\index.html");
    cache.Add(L"Cookie:user@game.example/", L"C:\\c\\user@game.txt", kCookie);
    cache.Add(L"http://edit.example/draft", L"C:\\c\\draft", kEdited);
    cache.Add(L"Visited: user@http://news.example/", L"", kHistory);
    cache.Add(L"http://cdn.example/sticky.js", L"C:\\c\\sticky.js", STICKY_CACHE_ENTRY);
    cache.Add(L"http://media.example/part", L"C:\\c\\part", kSparse);
    cache.Add(L"http://off.example/", L"C:\\c\\off", TRACK_OFFLINE_CACHE_ENTRY);
    cache.Add(L"http://on.example/", L"C:\\c\\on", TRACK_ONLINE_CACHE_ENTRY);
    cache.Add(L"Cookie:user@other.example/", L"C:\\c\\user@other.txt", kCookie);

    // On a worker thread, as the launcher's clear runs.
    std::thread([&] { DeleteAllCacheEntries(cache); }).join();

    EXPECT_EQ(cache.Remaining(), (std::vector<std::wstring>{L"http://edit.example/draft",
                                                            L"http://media.example/part"}));
    for (const DWORD filter : cache.filters)
        EXPECT_EQ(filter, 0x300035u);
    EXPECT_EQ(cache.filters.size(), 2u); // the size query and the read
    ASSERT_EQ(cache.closed.size(), 1u);
    EXPECT_NE(cache.closed[0], nullptr);
}

TEST(UrlCacheClear, EmptyCacheEndsAtTheFirstStepAndClosesTheNullHandleOnce) {
    FakeCache cache;
    HANDLE enumeration = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(DeleteFirstCacheEntry(enumeration, cache), DWORD(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(enumeration, nullptr);

    cache.closed.clear();
    DeleteAllCacheEntries(cache);
    EXPECT_EQ(cache.nextCalls, 0);
    EXPECT_EQ(cache.closed, std::vector<HANDLE>{nullptr});
    EXPECT_TRUE(cache.deletes.empty());
}

TEST(UrlCacheClear, StepsDeleteOneEntryEachAndReportTheEnd) {
    FakeCache cache;
    cache.Add(L"http://a.example/", L"a");
    cache.Add(L"http://b.example/", L"b");
    HANDLE enumeration = nullptr;
    ASSERT_EQ(DeleteFirstCacheEntry(enumeration, cache), 0u);
    ASSERT_NE(enumeration, nullptr);
    EXPECT_EQ(cache.Remaining(), std::vector<std::wstring>{L"http://b.example/"});
    EXPECT_EQ(DeleteNextCacheEntry(enumeration, cache), 0u);
    EXPECT_TRUE(cache.Remaining().empty());
    EXPECT_EQ(DeleteNextCacheEntry(enumeration, cache), DWORD(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(cache.closed.empty()); // the steps leave the handle to their caller
}

TEST(UrlCacheClear, AWalkAskedToStopEndsBetweenTwoEntriesAndClosesItsHandle) {
    FakeCache cache;
    for (const wchar_t* url : {L"http://a.example/", L"http://b.example/", L"http://c.example/"})
        cache.Add(url, L"f");
    int asked = 0;
    DeleteAllCacheEntries(cache, [&] { return ++asked == 2; });
    // The first entry goes with the first step, the second before the stop is asked again.
    EXPECT_EQ(cache.Remaining(), std::vector<std::wstring>{L"http://c.example/"});
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(cache.closed.size(), 1u);
    EXPECT_NE(cache.closed[0], nullptr);
}

TEST(UrlCacheClear, AnEntryThatCannotBeDeletedStaysAndTheWalkGoesOn) {
    FakeCache cache;
    for (const wchar_t* url :
         {L"http://a.example/", L"http://locked.example/", L"http://c.example/"})
        cache.Add(url, L"f");
    cache.undeletable = {L"http://locked.example/"};
    DeleteAllCacheEntries(cache);
    EXPECT_EQ(cache.Remaining(), std::vector<std::wstring>{L"http://locked.example/"});
    EXPECT_EQ(cache.deletes.size(), 3u);
}

TEST(UrlCacheClear, ReadFailuresInARowEndTheWalkAtTheBoundAndSingleOnesAreRiddenOut) {
    struct Case {
        const char* name;
        std::vector<DWORD> readFailures;
        size_t remaining;
    };
    const Case cases[] = {
        {"an entry that grew between query and read", {ERROR_INSUFFICIENT_BUFFER}, 0},
        {"two failures in a row", {ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER}, 0},
        {"a cache that keeps failing", std::vector<DWORD>(50, ERROR_INVALID_PARAMETER), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCache cache;
        for (const wchar_t* url : {L"http://a.example/", L"http://b.example/", L"http://c.example/",
                                   L"http://d.example/"})
            cache.Add(url, L"f");
        cache.readFailures = c.readFailures;
        DeleteAllCacheEntries(cache);
        EXPECT_EQ(cache.Remaining().size(), c.remaining);
        EXPECT_EQ(cache.closed.size(), 1u);
        EXPECT_LE(cache.nextCalls, 20);
    }
}

TEST(UrlCacheLookup, FindsTheLocalFileOfTheExactUrlOnly) {
    FakeCache cache;
    cache.Add(L"http://game.example/a.swf", L"C:\\c\\a.swf");
    cache.Add(L"Cookie:user@game.example/", L"C:\\c\\cookie.txt", kCookie);
    cache.Add(L"http://game.example/B.png", L"C:\\c\\B.png", kEdited); // no filter here
    struct Case {
        const wchar_t* url;
        const wchar_t* file;
    };
    for (const Case& c :
         {Case{L"http://game.example/a.swf", L"C:\\c\\a.swf"},
          Case{L"http://game.example/B.png", L"C:\\c\\B.png"},
          Case{L"Cookie:user@game.example/", L"C:\\c\\cookie.txt"},
          Case{L"http://game.example/A.swf", L""}, Case{L"http://GAME.example/b.png", L""},
          Case{L"http://game.example/a.sw", L""}, Case{L"", L""}}) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.url));
        cache.closed.clear();
        EXPECT_EQ(FindCachedFileFromUrl(c.url, cache), c.file);
        EXPECT_EQ(cache.closed.size(), 1u);
        EXPECT_NE(cache.closed.at(0), nullptr);
    }
}

TEST(UrlCacheLookup, EndsQuietlyOnAnEmptyCacheAndOnACacheThatKeepsFailing) {
    FakeCache empty;
    EXPECT_EQ(FindCachedFileFromUrl(L"http://a.example/", empty), L"");
    EXPECT_TRUE(empty.closed.empty());

    FakeCache failing;
    failing.Add(L"http://a.example/", L"a");
    failing.Add(L"http://b.example/", L"b");
    failing.probeFailure = ERROR_INVALID_PARAMETER;
    EXPECT_EQ(FindCachedFileFromUrl(L"http://b.example/", failing), L"");
    EXPECT_EQ(failing.nextCalls, 3);
    EXPECT_EQ(failing.closed.size(), 1u);
}

// The lookup walk through the system's own calls, on an entry written to the user's cache.
TEST(UrlCacheLookup, FindsAnEntryOfTheSystemCache) {
    const wchar_t* url = L"http://lookup.example/page.html";
    wchar_t file[MAX_PATH] = {};
    ASSERT_TRUE(::CreateUrlCacheEntryW(url, 0, L"html", file, 0));
    {
        const UniqueHandleKernel out(::CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(out.valid());
    }
    ASSERT_TRUE(::CommitUrlCacheEntryW(url, file, FILETIME{}, FILETIME{}, NORMAL_CACHE_ENTRY,
                                       nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(FindCachedFileFromUrl(url), file);
    EXPECT_EQ(FindCachedFileFromUrl(L"http://LOOKUP.example/page.html"), L"");
    // A deleted entry is no longer found.
    ASSERT_TRUE(::DeleteUrlCacheEntryW(url));
    EXPECT_EQ(FindCachedFileFromUrl(url), L"");
}

TEST(TypedUrls, DeletingRemovesTheListAndLeavesItsNeighbours) {
    const std::wstring ie = L"Software\\Microsoft\\Internet Explorer";
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(ie + L"\\TypedURLs", true));
    reg.WriteString(L"url1", L"http://game.example/");
    reg.WriteString(L"url2", L"http://pay.example/");
    ASSERT_TRUE(reg.OpenKey(ie + L"\\Main", true));
    reg.WriteString(L"Start Page", L"about:blank");
    reg.CloseKey();

    DeleteTypedUrls();
    EXPECT_FALSE(reg.KeyExists(ie + L"\\TypedURLs"));
    EXPECT_TRUE(reg.KeyExists(ie + L"\\Main"));
    DeleteTypedUrls(); // a missing list is no error
    EXPECT_FALSE(reg.KeyExists(ie + L"\\TypedURLs"));
}

// A history object with or without the second store interface; counts the clears.
class FakeHistory : public IUrlHistoryStg2 {
public:
    bool hasStg2 = true;
    int clears = 0;
    ULONG refs = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == __uuidof(IUrlHistoryStg) ||
            (hasStg2 && riid == __uuidof(IUrlHistoryStg2)))
            *ppv = static_cast<IUrlHistoryStg2*>(this);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, WINBOOL,
                                              IOleCommandTarget*, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ClearHistory() override {
        ++clears;
        return E_NOTIMPL; // not looked at
    }
};

class HistoryCalls final : public FakeCache {
public:
    HRESULT createResult = S_OK;
    FakeHistory* history = nullptr;
    HRESULT CreateUrlHistory(IUnknown** out) const noexcept override {
        *out = nullptr;
        if (FAILED(createResult)) return createResult;
        history->AddRef();
        *out = history;
        return S_OK;
    }
};

TEST(UrlHistory, ClearsThroughTheSecondStoreAndRaisesWhenItCannotBeHad) {
    FakeHistory history;
    HistoryCalls calls;
    calls.history = &history;
    EXPECT_NO_THROW(DeleteUrlHistory(calls));
    EXPECT_EQ(history.clears, 1);
    EXPECT_EQ(history.refs, 1u);

    history.hasStg2 = false;
    EXPECT_THROW(DeleteUrlHistory(calls), EOleSysError);
    EXPECT_EQ(history.clears, 1);
    EXPECT_EQ(history.refs, 1u);

    calls.createResult = REGDB_E_CLASSNOTREG;
    try {
        DeleteUrlHistory(calls);
        ADD_FAILURE() << "no error raised";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), REGDB_E_CLASSNOTREG);
    }
}

// The system's history object behind a stand-in that counts the clears it passes on.
class CountingSystemHistory final : public FakeHistory {
public:
    ComPtr<IUrlHistoryStg2> system;
    HRESULT STDMETHODCALLTYPE ClearHistory() override {
        ++clears;
        return system->ClearHistory(); // E_NOTIMPL from Wine's store, which the caller ignores
    }
};

class SystemHistoryCalls final : public FakeCache {
public:
    CountingSystemHistory* history = nullptr;
    HRESULT CreateUrlHistory(IUnknown** out) const noexcept override {
        *out = nullptr;
        ComPtr<IUnknown> made;
        const HRESULT hr = SystemInternetClient().CreateUrlHistory(made.put());
        if (FAILED(hr)) return hr;
        if (FAILED(made->QueryInterface(__uuidof(IUrlHistoryStg2), history->system.put_void())))
            return E_NOINTERFACE;
        history->AddRef();
        *out = static_cast<IUrlHistoryStg2*>(history);
        return S_OK;
    }
};

TEST(UrlHistory, TheSystemHistoryObjectIsMadeAndAskedToClear) {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        CountingSystemHistory history;
        SystemHistoryCalls calls;
        calls.history = &history;
        EXPECT_NO_THROW(DeleteUrlHistory(calls));
        ASSERT_TRUE(history.system) << "no history object with the second store interface";
        EXPECT_EQ(history.clears, 1);
        history.system.reset();
        EXPECT_EQ(history.refs, 1u);
    }
    EXPECT_NO_THROW(DeleteUrlHistory());
    ::CoUninitialize();
}

// The connected state kept the way the system keeps it, and the calls that reached it.
class FakeOnline final : public FakeCache {
public:
    mutable DWORD state = 0x1;
    mutable std::vector<DWORD> flagsSeen;
    mutable DWORD lastLength = 0;
    mutable DWORD lastFlags = 0;
    BOOL connectedResult = TRUE;
    bool throws = false;
    bool queryFails = false;

    BOOL InternetGetConnectedState(DWORD* flags, DWORD reserved) const override {
        flagsSeen.push_back(*flags);
        flagsSeen.push_back(reserved);
        if (throws) throw std::runtime_error("no network library");
        return connectedResult;
    }
    BOOL InternetQueryOption(HINTERNET handle, DWORD option, void* buffer,
                             DWORD* length) const noexcept override {
        if (queryFails || handle || option != 50 || *length != 4) return FALSE;
        std::memcpy(buffer, &state, 4);
        return TRUE;
    }
    BOOL InternetSetOption(HINTERNET handle, DWORD option, void* buffer,
                           DWORD length) const noexcept override {
        lastLength = length;
        if (handle || option != 50 || length != sizeof(INTERNET_CONNECTED_INFO)) return FALSE;
        const auto* info = static_cast<const INTERNET_CONNECTED_INFO*>(buffer);
        state = info->dwConnectedState;
        lastFlags = info->dwFlags;
        return TRUE;
    }
};

TEST(OnlineState, WorkingOfflineAndOnlineIsReadBack) {
    struct Case {
        bool offline;
        DWORD state;
        DWORD flags;
    };
    FakeOnline calls;
    for (const Case& c : {Case{true, 0x10, 1}, Case{false, 0x1, 0}, Case{true, 0x10, 1}}) {
        SCOPED_TRACE(c.offline ? "offline" : "online");
        EXPECT_TRUE(SetGlobalOffline(c.offline, calls));
        EXPECT_EQ(calls.state, c.state);
        EXPECT_EQ(calls.lastFlags, c.flags);
        EXPECT_EQ(calls.lastLength, 8u);
        EXPECT_EQ(IsGlobalOfflineState(calls), c.offline);
    }
    calls.state = 0x10 | 0x1;
    EXPECT_TRUE(IsGlobalOfflineState(calls));
    calls.queryFails = true;
    EXPECT_FALSE(IsGlobalOfflineState(calls));
}

TEST(OnlineState, ConnectedStateAsksWithAllFlagsAndAFailureIsOffline) {
    FakeOnline calls;
    EXPECT_TRUE(IsConnectedToInternet(calls));
    EXPECT_EQ(calls.flagsSeen, (std::vector<DWORD>{7, 0}));
    calls.connectedResult = FALSE;
    EXPECT_FALSE(IsConnectedToInternet(calls));
    calls.connectedResult = TRUE;
    calls.throws = true;
    EXPECT_FALSE(IsConnectedToInternet(calls));
}

} // namespace
