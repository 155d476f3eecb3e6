// Statistics records of an installation (setup, first activation, uninstall), each one HTTP GET
// carrying the install GUID, the machine id, the public address and the cafe flag. The query
// format and the machine-id bytes are what the statistics server keys on: keep them exact.
#pragma once

#include "services/SysInfo.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tn {

class TStatisticsManager {
public:
    TStatisticsManager() = default;
    TStatisticsManager(const TStatisticsManager&) = delete;
    TStatisticsManager& operator=(const TStatisticsManager&) = delete;
    // Waits for a send still running on a worker, which uses this object.
    ~TStatisticsManager();

    // Handles "/setupsucc" and "/setupsuccanddown" (first argument, any case): sends the setup
    // record on this thread, fetches the companion installers for the second; false otherwise.
    bool CheckSendSetupStatistics();
    // 1: the activation record, asked for once per process and sent on a worker only on the
    // installation's first run. 0: the setup record on a worker. Other types send nothing.
    void SendStatisticsThread(std::int32_t AStatType) noexcept;

    void SendActiveStatistics();
    void SendSetupStatistics();
    void SendUninstallStatistics();
    // True exactly when the body is the one byte "1".
    static bool SendUrl(const std::wstring& AUrl) noexcept;

    // The first read in a process adds 1 to "RunCount" of lander.ini; 2147483647 stays as it is.
    std::int32_t GetRunCount();
    std::int32_t RunCount() { return GetRunCount(); }

    [[nodiscard]] bool IsNetBar() const noexcept { return FIsNetBar; }
    [[nodiscard]] bool IsAutoRun() const noexcept { return FIsAutoRun; }
    [[nodiscard]] const std::wstring& MachineId() const noexcept { return FMachineId; }
    [[nodiscard]] const std::wstring& Guid() const noexcept { return FGuid; }
    [[nodiscard]] const std::wstring& IpAddress() const noexcept { return FIpAddress; }
    [[nodiscard]] const std::wstring& InstallTime() const noexcept { return FInstallTime; }
    [[nodiscard]] std::int32_t InstallType() const noexcept { return FInstallType; }

private:
    friend class TSendStatWorker;

    void InitData() noexcept;
    std::wstring GetMachineId();
    [[nodiscard]] std::wstring RequestUrl(std::int32_t recordType,
                                          std::optional<std::int32_t> position) const;
    void WorkerStarted();
    void WorkerEnded() noexcept;

    bool FInitData = false;
    bool FIsNetBar = false;
    bool FIsAutoRun = false;
    std::wstring FMachineId;
    std::wstring FGuid;
    std::wstring FIpAddress;
    std::wstring FInstallTime;
    std::unique_ptr<TSysInfo> FSysInfo;
    std::int32_t FRunCount = -1;
    std::int32_t FInstallType = -1;
    bool FIsSendActive = false;

    // Workers still using this object.
    std::mutex FWorkersLock;
    std::condition_variable FWorkersDone;
    int FWorkers = 0;
};

// The one manager of the process: made by the module start-up after the configuration is read,
// freed at shutdown.
extern std::unique_ptr<TStatisticsManager> StatisticsManager;
// The module's start-up and shutdown steps: make and free StatisticsManager.
void StatisticsModuleStartup();
void StatisticsModuleShutdown() noexcept;

// Install GUID: "Install" "GUID" of lander.ini, made and stored when empty; without braces and
// hyphens, or "guid error" when none can be made.
[[nodiscard]] std::wstring GetGuid();
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", or empty when the generator fails.
[[nodiscard]] std::wstring NewGuid();
// "Install" "InstallTime", stored as the local time now when empty.
[[nodiscard]] std::wstring GetInstallTime();
[[nodiscard]] std::int32_t GetInstallType();
[[nodiscard]] std::wstring GetPublicIp() noexcept;
[[nodiscard]] std::wstring GetLocalIp() noexcept;

// The rules behind the requests, apart from the files and the network.
// The machine id over the three identity inputs: trimmed, joined, digested as a string.
[[nodiscard]] std::wstring MachineIdOf(const std::wstring& cpuSerial,
                                       const std::wstring& diskSerial, const std::wstring& macList);
// The address between the first "[" and the first "]" after it; empty without a "[".
[[nodiscard]] std::wstring ExtractPublicIp(const std::wstring& body);
struct StatQuery {
    std::int32_t RecordType = 0;
    std::wstring Referer, Frm, Guid, MachineId;
    bool IsNetBar = false;
    std::wstring IpAddress;
    std::optional<std::int32_t> Position; // uninstall record only
};
[[nodiscard]] std::wstring BuildStatUrl(const StatQuery& q);
// "position" of the uninstall record: 1 when the install time falls on today, else 2. An install
// time that does not read as "yyyy-MM-dd hh:mm:ss" counts as now.
[[nodiscard]] std::int32_t UninstallPosition(const std::wstring& installTime, int todayYear,
                                             int todayMonth, int todayDay);

} // namespace tn
