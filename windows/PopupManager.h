// The announcement scheduler: a thread meant to schedule announcement popups. Its body does no
// work, so it ends and frees itself as soon as it has started.
#pragma once

#include "classlib/Handles.h"
#include "classlib/Thread.h"

#include <string>

namespace tn {

class TFormWebPopup;

class TPopupManager final : public TThread {
    struct Key {
        explicit Key() = default;
    };

public:
    // The announcement record.
    struct TPopupData {
        std::wstring Url;
        int Id = 0;
        int Delay = 0;
        int Width = 0;
        int Height = 0;
    };

    // Creates the scheduler running and freed on termination; the pointer may dangle at once.
    static TPopupManager* Create(std::wstring iniFileName);

    TPopupManager(Key, std::wstring iniFileName);

protected:
    void Execute() override {}

private:
    // Cleared, first run, no popup: the state of a new scheduler.
    TPopupData FPopupData;
    bool FIsFirstRun = true;
    UniqueHandleKernel FCloseEvent;
    TFormWebPopup* FFormWebPopup = nullptr;
    std::wstring FIniFileName;
};

} // namespace tn
