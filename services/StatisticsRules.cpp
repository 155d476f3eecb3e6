// The rules behind the statistics requests: no file, network or system call, so they build
// natively too.
#include "services/Statistics.h"

#include "Deploy.h"
#include "classlib/Text.h"
#include "services/Md5.h"
#include "services/PublicUnit.h"

namespace tn {

namespace {

constexpr wchar_t kStatItem[] = L"4702kqe3m8";

// Reads digits at s[i...]; false when there are none.
bool ReadNumber(const std::wstring& s, std::size_t& i, int& value) {
    const std::size_t start = i;
    value = 0;
    while (i < s.size() && s[i] >= L'0' && s[i] <= L'9' && i - start < 9)
        value = value * 10 + (s[i++] - L'0');
    return i > start;
}

bool Expect(const std::wstring& s, std::size_t& i, wchar_t c) {
    if (i < s.size() && s[i] == c) {
        ++i;
        return true;
    }
    return false;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

std::wstring MachineIdOf(const std::wstring& cpuSerial, const std::wstring& diskSerial,
                         const std::wstring& macList) {
    return DigestToHex(
        Md5String(text::Trim(cpuSerial) + text::Trim(diskSerial) + text::Trim(macList)));
}

std::wstring ExtractPublicIp(const std::wstring& body) {
    const std::size_t open = body.find(L'[');
    if (open == std::wstring::npos) return {};
    const std::wstring rest = body.substr(open + 1);
    return rest.substr(0, rest.find(L']'));
}

std::wstring BuildStatUrl(const StatQuery& q) {
    using text::IntToStr;
    std::wstring url = std::wstring(deploy::kStatServer) + L"/controller/istat.controller.php" +
                       L"?" + L"item=" + kStatItem + L"&platform=Varkel&game_id=" + kGameId +
                       L"&ext_1=" + IntToStr(q.RecordType) + L"&ext_2=" + q.Referer + L"&ext_3=" +
                       q.Frm + L"&ext_4=" + q.Guid + L"&ext_5=" + q.MachineId + L"&ext_6=" +
                       IntToStr(q.IsNetBar ? 1 : 2) + L"&user_ip=" + q.IpAddress +
                       L"&browser_type=" + IntToStr(kClientVersion);
    if (q.Position) url += L"&position=" + IntToStr(*q.Position);
    return url;
}

std::int32_t UninstallPosition(const std::wstring& installTime, int todayYear, int todayMonth,
                               int todayDay) {
    std::size_t i = 0;
    int year, month, day;
    bool valid = ReadNumber(installTime, i, year) && Expect(installTime, i, L'-') &&
                 ReadNumber(installTime, i, month) && Expect(installTime, i, L'-') &&
                 ReadNumber(installTime, i, day) && month >= 1 && month <= 12 && day >= 1 &&
                 day <= DaysInMonth(year, month);
    if (valid && i < installTime.size()) {
        // A time of day may follow: hh:mm with optional :ss.
        while (i < installTime.size() && installTime[i] == L' ')
            ++i;
        int h, m, sec = 0;
        valid = ReadNumber(installTime, i, h) && Expect(installTime, i, L':') &&
                ReadNumber(installTime, i, m) &&
                (!Expect(installTime, i, L':') || ReadNumber(installTime, i, sec)) && h < 24 &&
                m < 60 && sec < 60;
        while (valid && i < installTime.size() && installTime[i] == L' ')
            ++i;
        valid = valid && i == installTime.size();
    }
    if (!valid) return 1;
    return year == todayYear && month == todayMonth && day == todayDay ? 1 : 2;
}

} // namespace tn
