#include "services/Statistics.h"

#include "Deploy.h"
#include "classlib/CommandLine.h"
#include "classlib/Http.h"
#include "classlib/IniFile.h"
#include "classlib/MemoryStream.h"
#include "classlib/Text.h"
#include "classlib/Thread.h"
#include "services/NetBar.h"
#include "services/PublicUnit.h"
#include "services/Shell.h"

#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <limits>

namespace tn {

std::unique_ptr<TStatisticsManager> StatisticsManager;

void StatisticsModuleStartup() {
    StatisticsManager = std::make_unique<TStatisticsManager>();
}
void StatisticsModuleShutdown() noexcept {
    StatisticsManager.reset();
}

namespace {

constexpr wchar_t kInstall[] = L"Install";

std::wstring LanderIni() {
    return GetIniPath(false);
}

std::wstring FirstArgumentLower() {
    return ParamCount() >= 1 ? text::LowerCase(ParamStr(1)) : std::wstring();
}

std::wstring Two(int v) {
    return std::wstring(1, static_cast<wchar_t>(L'0' + v / 10 % 10)) +
           static_cast<wchar_t>(L'0' + v % 10);
}

std::wstring TimeSeparator() {
    wchar_t sep[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, sep, 8) > 1) return sep;
    return L":";
}

} // namespace

// --- the identity values ----------------------------------------------------------------------

std::wstring NewGuid() {
    GUID guid;
    if (FAILED(::CoCreateGuid(&guid))) return {};
    wchar_t buf[40] = {};
    if (::StringFromGUID2(guid, buf, 40) == 0) return {};
    return text::UpperCase(buf);
}

std::wstring GetGuid() {
    std::wstring guid = text::Trim(ReadIniValue260(LanderIni(), kInstall, L"GUID"));
    if (guid.empty()) {
        guid = NewGuid();
        WriteIniValue(LanderIni(), kInstall, L"GUID", guid);
    }
    if (guid.empty()) return L"guid error";
    for (const wchar_t* drop : {L"-", L"}", L"{"})
        guid = text::ReplaceAll(guid, drop, L"");
    return guid;
}

std::wstring GetInstallTime() {
    std::wstring time = text::Trim(ReadIniValue260(LanderIni(), kInstall, L"InstallTime"));
    if (time.empty()) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        const std::wstring sep = TimeSeparator();
        time = text::IntToStr(now.wYear) + L"-" + Two(now.wMonth) + L"-" + Two(now.wDay) + L" " +
               Two(now.wHour) + sep + Two(now.wMinute) + sep + Two(now.wSecond);
        WriteIniValue(LanderIni(), kInstall, L"InstallTime", time);
    }
    return time;
}

std::int32_t GetInstallType() {
    return text::StrToIntDef(ReadIniValue260(LanderIni(), kInstall, L"InstallType"), 0);
}

std::wstring GetPublicIp() noexcept {
    try {
        THttpClient client;
        client.SetReadTimeout(10000);
        return ExtractPublicIp(client.Get(std::wstring(deploy::kIpLookupServer) + L"/ic.asp"));
    } catch (...) {
        // Unreachable lookup: the caller falls back to the local address.
        return {};
    }
}

std::wstring GetLocalIp() noexcept {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 0), &data) != 0) return {};
    std::wstring ip;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    char ansiName[4 * (MAX_COMPUTERNAME_LENGTH + 1)] = {};
    if (::GetComputerNameW(name, &size) &&
        ::WideCharToMultiByte(CP_ACP, 0, name, -1, ansiName, sizeof ansiName, nullptr, nullptr) >
            0) {
        if (const hostent* host = ::gethostbyname(ansiName);
            host && host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0]) {
            const auto* a = reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
            ip = text::IntToStr(a[0]) + L"." + text::IntToStr(a[1]) + L"." + text::IntToStr(a[2]) +
                 L"." + text::IntToStr(a[3]);
        }
    }
    ::WSACleanup();
    return ip;
}

// --- the worker -------------------------------------------------------------------------------

class TSendStatWorker : public TThread {
public:
    TSendStatWorker(TStatisticsManager* owner, std::int32_t statType) noexcept
        : FOwner(owner), FStatType(statType) {}
    ~TSendStatWorker() override = default;

protected:
    void Execute() override {
        try {
            if (FStatType == 1)
                FOwner->SendActiveStatistics();
            else if (FStatType == 0)
                FOwner->SendSetupStatistics();
        } catch (...) {
            // A lost record is never repeated.
        }
        FOwner->WorkerEnded(); // the owner may be gone from here on
    }

private:
    TStatisticsManager* FOwner;
    std::int32_t FStatType;
};

// --- the manager ------------------------------------------------------------------------------

TStatisticsManager::~TStatisticsManager() {
    std::unique_lock lock(FWorkersLock);
    FWorkersDone.wait(lock, [this] { return FWorkers == 0; });
}

void TStatisticsManager::WorkerStarted() {
    std::lock_guard lock(FWorkersLock);
    ++FWorkers;
}

void TStatisticsManager::WorkerEnded() noexcept {
    std::lock_guard lock(FWorkersLock);
    --FWorkers;
    FWorkersDone.notify_all();
}

std::int32_t TStatisticsManager::GetRunCount() {
    if (FRunCount != -1) return FRunCount;
    const std::int32_t stored =
        text::StrToIntDef(ReadIniValue260(LanderIni(), L"Common", L"RunCount"), 0);
    // A count at the top of its range stays there rather than turning negative.
    FRunCount = stored == std::numeric_limits<std::int32_t>::max() ? stored : stored + 1;
    WriteIniValue(LanderIni(), L"Common", L"RunCount", text::IntToStr(FRunCount));
    return FRunCount;
}

std::wstring TStatisticsManager::GetMachineId() {
    return MachineIdOf(FSysInfo->CPUSerial(), FSysInfo->HDDSerial(), FSysInfo->MacAddress());
}

void TStatisticsManager::InitData() noexcept {
    if (FInitData) return;
    FInitData = true;
    try {
        FSysInfo = std::make_unique<TSysInfo>();
        FIsNetBar = DetectNetBar() >= 0;
        FIsAutoRun = FirstArgumentLower() == L"/autorun";
        FMachineId = GetMachineId();
        FGuid = GetGuid();
        FIpAddress = GetPublicIp();
        if (FIpAddress.empty()) FIpAddress = GetLocalIp();
        FInstallTime = GetInstallTime();
        FInstallType = GetInstallType();
    } catch (...) {
        // What was gathered so far is what the records carry; gathering is not retried.
    }
}

std::wstring TStatisticsManager::RequestUrl(std::int32_t recordType,
                                            std::optional<std::int32_t> position) const {
    StatQuery q;
    q.RecordType = recordType;
    q.Referer = Referer;
    q.Frm = Frm;
    q.Guid = FGuid;
    q.MachineId = FMachineId;
    q.IsNetBar = FIsNetBar;
    q.IpAddress = FIpAddress;
    q.Position = position;
    return BuildStatUrl(q);
}

bool TStatisticsManager::SendUrl(const std::wstring& AUrl) noexcept {
    try {
        THttpClient client;
        client.SetReadTimeout(10000);
        // The raw bytes: a text read would drop a byte-order mark and let "\xEF\xBB\xBF1" pass.
        TMemoryStream body;
        client.Get(AUrl, body);
        return body.Size() == 1 && body.Bytes()[0] == '1';
    } catch (...) {
        // Refused, unreachable or a bad status: the record is lost.
        return false;
    }
}

void TStatisticsManager::SendActiveStatistics() {
    InitData();
    (void)SendUrl(RequestUrl(FIsAutoRun ? 4 : 5, std::nullopt));
}

void TStatisticsManager::SendSetupStatistics() {
    InitData();
    (void)SendUrl(RequestUrl(FInstallType == 1 ? 3 : 2, std::nullopt));
}

void TStatisticsManager::SendUninstallStatistics() {
    InitData();
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    (void)SendUrl(
        RequestUrl(6, UninstallPosition(FInstallTime, today.wYear, today.wMonth, today.wDay)));
}

bool TStatisticsManager::CheckSendSetupStatistics() {
    if (ParamCount() < 1) return false;
    const std::wstring arg = FirstArgumentLower();
    if (arg != L"/setupsucc" && arg != L"/setupsuccanddown") return false;
    SendSetupStatistics();
    if (arg == L"/setupsuccanddown") {
        (void)DownloadAnimateIcon();
        (void)DownloadIconTips();
    }
    return true;
}

void TStatisticsManager::SendStatisticsThread(std::int32_t AStatType) noexcept {
    try {
        if (AStatType == 1) {
            if (FIsSendActive) return;
            FIsSendActive = true;
            if (GetRunCount() != 1) return;
        }
        WorkerStarted();
        try {
            TThread::StartFreeOnTerminate<TSendStatWorker>(this, AStatType);
        } catch (...) {
            WorkerEnded();
            throw;
        }
    } catch (...) {
        // A worker that cannot start sends nothing; nobody is told.
    }
}

} // namespace tn
