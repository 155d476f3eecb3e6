#include "services/Statistics.h"

#include "Deploy.h"
#include "classlib/IniFile.h"
#include "classlib/Text.h"
#include "services/Md5.h"
#include "services/PublicUnit.h"
#include "tests/services/StatQuery.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <regex>

namespace tn {
namespace {

using testing::ExpectedRecord;
using testing::ExpectStatQuery;
using testing::Standin;

std::string Narrow(const std::wstring& s) {
    return text::ToUtf8(s);
}

// Each test starts without lander.ini and with a fresh stand-in; the file's former content comes
// back afterwards.
class Statistics : public ::testing::Test {
protected:
    void SetUp() override {
        FIni = GetIniPath(false);
        FHadIni = ::GetFileAttributesW(FIni.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (FHadIni) FSaved = testing::ReadFileBytes(FIni);
        ::DeleteFileW(FIni.c_str());
        FStandin.Reset();
    }
    void TearDown() override {
        ::DeleteFileW(FIni.c_str());
        if (FHadIni) testing::WriteFileBytes(FIni, FSaved);
        FStandin.Reset();
    }
    std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
        return ReadIniValue260(FIni, section, key);
    }
    void SetIni(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
        ASSERT_TRUE(WriteIniValue(FIni, section, key, value));
    }
    std::vector<std::string> StatQueries() const { return FStandin.StatQueries(); }

    Standin FStandin;
    std::wstring FIni;
    bool FHadIni = false;
    std::string FSaved;
};

TEST(StatisticsRules, QueryTemplateIsExact) {
    StatQuery q{5,
                L"client",
                L"frm1",
                L"0123456789ABCDEF0123456789ABCDEF",
                L"0123456789abcdef0123456789abcdef",
                true,
                L"203.0.113.7",
                std::nullopt};
    const std::wstring base =
        std::wstring(deploy::kStatServer) + L"/controller/istat.controller.php?";
    EXPECT_EQ(BuildStatUrl(q),
              base +
                  L"item=4702kqe3m8&platform=Varkel&game_id=1016&ext_1=5&ext_2=client&ext_3=frm1"
                  L"&ext_4=0123456789ABCDEF0123456789ABCDEF&ext_5=0123456789abcdef0123456789abcdef"
                  L"&ext_6=1&user_ip=203.0.113.7&browser_type=1000");
    // Values go in as they are: nothing is encoded, and the uninstall record adds its position.
    q = StatQuery{6, L"a b", L"", L"guid error", L"", false, L"", 2};
    EXPECT_EQ(BuildStatUrl(q),
              base + L"item=4702kqe3m8&platform=Varkel&game_id=1016&ext_1=6&ext_2=a b&ext_3="
                     L"&ext_4=guid error&ext_5=&ext_6=2&user_ip=&browser_type=1000&position=2");
}

TEST(StatisticsRules, MachineIdDigestsTheTrimmedInputsAsAString) {
    // "AB" + "C" + "D": four characters, so the digest covers the bytes A 0 B 0.
    const char bytes[] = {'A', 0, 'B', 0};
    EXPECT_EQ(MachineIdOf(L" AB ", L"\tC", L"D\r\n"), DigestToHex(Md5Buffer(bytes, 4)));
    EXPECT_EQ(MachineIdOf(L"", L"", L""), L"d41d8cd98f00b204e9800998ecf8427e");
}

TEST(StatisticsRules, PublicIpIsBetweenTheBrackets) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Current IP: [203.0.113.7] ok", L"203.0.113.7"},
        {L"[10.0.0.1", L"10.0.0.1"}, // no closing bracket: everything after "["
        {L"a]b[c]d[e]", L"c"},       // the first "[" and the first "]" after it
        {L"[]", L""},
        {L"203.0.113.7", L""},
        {L"", L""},
    };
    for (const auto& [body, ip] : cases)
        EXPECT_EQ(ExtractPublicIp(body), ip) << Narrow(body);
}

TEST(StatisticsRules, UninstallPositionIsOneOnTheInstallDay) {
    const struct {
        const wchar_t* installTime;
        std::int32_t position;
    } cases[] = {
        {L"2024-03-09 10:11:12", 1},
        {L"2024-3-9 1:2:3", 1},
        {L"2024-03-09", 1},
        {L"2024-03-08 23:59:59", 2},
        {L"2023-03-09 10:11:12", 2},
        {L"2024-02-30 10:00:00", 1}, // no such day: now
        {L"2024-03-09 25:00:00", 1},
        {L"09.03.2024", 1},
        {L"", 1},
        {L"2024-03-09 10.11.12", 1}, // a time that does not read
        {L"2001-02-03 04:05:06", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UninstallPosition(c.installTime, 2024, 3, 9), c.position)
            << Narrow(c.installTime);
}

TEST_F(Statistics, WithoutASetupSwitchThereIsNoSetupReport) {
    // This program's own arguments are none of "/setupsucc" and "/setupsuccanddown".
    EXPECT_FALSE(TStatisticsManager().CheckSendSetupStatistics());
    EXPECT_TRUE(StatQueries().empty());
}

TEST_F(Statistics, RunCountRisesOncePerProcess) {
    {
        TStatisticsManager m;
        EXPECT_EQ(m.RunCount(), 1);
        EXPECT_EQ(m.RunCount(), 1);
        EXPECT_EQ(Ini(L"Common", L"RunCount"), L"1");
    }
    EXPECT_EQ(TStatisticsManager().RunCount(), 2);
    SetIni(L"Common", L"RunCount", L"many");
    EXPECT_EQ(TStatisticsManager().RunCount(), 1);
    EXPECT_EQ(Ini(L"Common", L"RunCount"), L"1");
    // The top of the range is kept, not overflowed into a negative count.
    for (const wchar_t* stored : {L"2147483646", L"2147483647"}) {
        SetIni(L"Common", L"RunCount", stored);
        EXPECT_EQ(TStatisticsManager().RunCount(), 2147483647);
        EXPECT_EQ(Ini(L"Common", L"RunCount"), L"2147483647");
    }
}

TEST_F(Statistics, GuidIsMadeOnceAndSentWithoutBracesAndHyphens) {
    const std::wstring made = GetGuid();
    const std::wstring stored = Ini(L"Install", L"GUID");
    EXPECT_TRUE(std::regex_match(
        Narrow(stored),
        std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}")))
        << Narrow(stored);
    EXPECT_EQ(made,
              text::ReplaceAll(text::ReplaceAll(text::ReplaceAll(stored, L"{", L""), L"}", L""),
                               L"-", L""));
    EXPECT_EQ(GetGuid(), made);
    SetIni(L"Install", L"GUID", L" {1234ABCD-0000-1111-2222-333344445555} ");
    EXPECT_EQ(GetGuid(), L"1234ABCD000011112222333344445555");
}

TEST_F(Statistics, InstallTimeAndTypeAreReadOrMade) {
    const std::wstring made = GetInstallTime();
    EXPECT_TRUE(
        std::regex_match(Narrow(made), std::regex("\\d{4}-\\d{2}-\\d{2} \\d{2}.\\d{2}.\\d{2}")))
        << Narrow(made);
    EXPECT_EQ(Ini(L"Install", L"InstallTime"), made);
    SetIni(L"Install", L"InstallTime", L" 2001-02-03 04:05:06 ");
    EXPECT_EQ(GetInstallTime(), L"2001-02-03 04:05:06");

    EXPECT_EQ(GetInstallType(), 0);
    SetIni(L"Install", L"InstallType", L"1");
    EXPECT_EQ(GetInstallType(), 1);
    SetIni(L"Install", L"InstallType", L"one");
    EXPECT_EQ(GetInstallType(), 0);
}

TEST_F(Statistics, SendUrlSucceedsOnlyOnABodyOfExactlyOne) {
    const std::string path = "/tn-stat-probe";
    const std::wstring url = FStandin.Url(L"/tn-stat-probe");
    const struct {
        int status;
        const char* body;
        bool ok;
    } cases[] = {{200, "1", true},
                 {200, "1 ", false},
                 {200, " 1", false},
                 {200,
                  "\xEF\xBB\xBF"
                  "1",
                  false},
                 {200, "ok", false},
                 {200, "", false},
                 {500, "1", false}};
    for (const auto& c : cases) {
        testing::StandinReply reply;
        reply.status = c.status;
        reply.body = c.body;
        FStandin.Set(path, reply);
        EXPECT_EQ(TStatisticsManager::SendUrl(url), c.ok) << c.status << " '" << c.body << "'";
    }
    EXPECT_FALSE(
        TStatisticsManager::SendUrl(L"http://127.0.0.1:1/controller/istat.controller.php"));
}

TEST_F(Statistics, PublicIpFallsBackToTheLocalAddress) {
    EXPECT_EQ(GetPublicIp(), L"203.0.113.7");
    const std::wstring local = GetLocalIp();
    EXPECT_TRUE(std::regex_match(Narrow(local), std::regex("\\d+\\.\\d+\\.\\d+\\.\\d+")))
        << Narrow(local);

    testing::StandinReply missing;
    missing.status = 404;
    FStandin.Set("/ic.asp", missing);
    EXPECT_EQ(GetPublicIp(), L"");
    {
        TStatisticsManager m;
        m.SendSetupStatistics();
        EXPECT_EQ(m.IpAddress(), local);
    }
    const auto queries = StatQueries();
    ASSERT_EQ(queries.size(), 1u);
    ExpectStatQuery(queries[0], {"2", Narrow(local)});
}

TEST_F(Statistics, ActivationIsSentOnceAndOnlyOnTheFirstRun) {
    {
        TStatisticsManager m;
        m.SendStatisticsThread(1);
        m.SendStatisticsThread(1); // a later load of the login page in the same process
    }                              // the manager waits for its worker here
    auto queries = StatQueries();
    ASSERT_EQ(queries.size(), 1u);
    const std::wstring guid = GetGuid();
    ExpectStatQuery(queries[0], {"5", "203.0.113.7", Narrow(guid)});
    EXPECT_EQ(Ini(L"Common", L"RunCount"), L"1");

    // The second run of the installation asks again and sends nothing.
    {
        TStatisticsManager m;
        m.SendStatisticsThread(1);
        m.SendStatisticsThread(1);
    }
    EXPECT_EQ(StatQueries().size(), 1u);
    EXPECT_EQ(Ini(L"Common", L"RunCount"), L"2");
}

TEST_F(Statistics, AnInstallationThatRanBeforeSendsNoActivation) {
    SetIni(L"Common", L"RunCount", L"1");
    {
        TStatisticsManager m;
        m.SendStatisticsThread(1);
    }
    EXPECT_TRUE(StatQueries().empty());
    EXPECT_EQ(Ini(L"Common", L"RunCount"), L"2");
}

TEST_F(Statistics, SetupAndUninstallRecords) {
    SetIni(L"Install", L"GUID", L"{00000000-1111-2222-3333-444444444444}");
    SetIni(L"Install", L"InstallType", L"1");
    {
        TStatisticsManager m;
        m.SendSetupStatistics();
    }
    {
        TStatisticsManager m;
        m.SendUninstallStatistics(); // installed just now: today
    }
    SetIni(L"Install", L"InstallTime", L"2001-02-03 04:05:06");
    {
        TStatisticsManager m;
        m.SendUninstallStatistics();
    }
    const auto queries = StatQueries();
    ASSERT_EQ(queries.size(), 3u);
    const std::string guid = "00000000111122223333444444444444";
    ExpectStatQuery(queries[0], {"3", "203.0.113.7", guid});
    ExpectStatQuery(queries[1], {"6", "203.0.113.7", guid, "1"});
    ExpectStatQuery(queries[2], {"6", "203.0.113.7", guid, "2"});
    // ext_5: the string digest of CPU serial, disk serial and MAC list, the same in every record.
    TSysInfo info;
    const std::string id =
        Narrow(MachineIdOf(info.CPUSerial(), info.HDDSerial(), info.MacAddress()));
    for (const auto& q : queries)
        EXPECT_EQ(testing::SplitQuery(q)[7].second, id);
}

} // namespace
} // namespace tn
