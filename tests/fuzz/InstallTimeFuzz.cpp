// "InstallTime" of lander.ini as the uninstall record reads it: the position is 1 on the install
// day and 2 on any other, and a text that is no date counts as now; no text gives anything else.
#include "FuzzSupport.h"
#include "services/Statistics.h"

#include <chrono>
#include <climits>

namespace {

struct Day {
    int Year, Month, Day;
};
constexpr Day kTodays[] = {{2024, 3, 9}, {2024, 2, 29}, {1, 1, 1}, {0, 0, 0}, {INT_MAX, 12, 31}};

std::wstring Two(unsigned v) {
    return {static_cast<wchar_t>(L'0' + v / 10 % 10), static_cast<wchar_t>(L'0' + v % 10)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tn;
    fuzz::ForEachTextForm(data, size, [](const std::wstring& form) {
        const std::wstring installTime(form);
        for (const Day& today : kTodays) {
            const std::int32_t position =
                UninstallPosition(installTime, today.Year, today.Month, today.Day);
            TN_FUZZ_CHECK(position == 1 || position == 2);
        }
    });

    // A time in the form the program stores reads back as its own day; a day that does not exist
    // counts as now.
    if (size < 7) return 0;
    const int year = 1 + (data[0] | data[1] << 8) % 9999;
    const unsigned month = 1 + data[2] % 12, day = 1 + data[3] % 31;
    const std::wstring stored = text::IntToStr(year) + L"-" + Two(month) + L"-" + Two(day) + L" " +
                                Two(data[4] % 24) + L":" + Two(data[5] % 60) + L":" +
                                Two(data[6] % 60);
    const bool exists =
        std::chrono::year_month_day(std::chrono::year(year), std::chrono::month(month),
                                    std::chrono::day(day))
            .ok();
    const int sameDay =
        UninstallPosition(stored, year, static_cast<int>(month), static_cast<int>(day));
    const int nextYear =
        UninstallPosition(stored, year + 1, static_cast<int>(month), static_cast<int>(day));
    TN_FUZZ_CHECK(sameDay == 1);
    TN_FUZZ_CHECK(nextYear == (exists ? 2 : 1));
    return 0;
}
