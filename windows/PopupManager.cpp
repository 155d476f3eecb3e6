#include "windows/PopupManager.h"

#include <stdexcept>
#include <utility>

namespace tn {

TPopupManager* TPopupManager::Create(std::wstring iniFileName) {
    return TThread::StartFreeOnTerminate<TPopupManager>(Key{}, std::move(iniFileName));
}

TPopupManager::TPopupManager(Key, std::wstring iniFileName)
    : FCloseEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      FIniFileName(std::move(iniFileName)) {
    if (!FCloseEvent) throw std::runtime_error("cannot create the scheduler's close event");
}

} // namespace tn
