// The modules' start-up steps, run before the entry routine in a fixed order and undone in reverse.
#pragma once

#include <stdexcept>
#include <string>

namespace tn {

// A start-up step that cannot go on raises this; the program then stops with its message.
class TStartupError : public std::runtime_error {
public:
    explicit TStartupError(const std::wstring& message)
        : std::runtime_error("start-up failed"), FMessage(message) {}
    [[nodiscard]] const std::wstring& Message() const noexcept { return FMessage; }

private:
    std::wstring FMessage;
};

// Runs every start-up step in order on construction; the destructor undoes the steps that ran, in
// reverse order. A failing step raises TStartupError after undoing those before it.
class TModuleSession {
public:
    TModuleSession();
    TModuleSession(const TModuleSession&) = delete;
    TModuleSession& operator=(const TModuleSession&) = delete;
    ~TModuleSession();

private:
    void Unwind() noexcept;

    int FStarted = 0;
};

} // namespace tn
