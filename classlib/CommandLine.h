// The program's arguments, parsed once from the process command line.
#pragma once

#include <string>
#include <vector>

namespace tn {

// Number of arguments after the program name.
[[nodiscard]] int ParamCount();
// Argument i (1-based); 0 is the program; empty when out of range.
[[nodiscard]] std::wstring ParamStr(int i);
// The arguments after the program name.
[[nodiscard]] std::vector<std::wstring> ProgramArgs();
// A command line split as the system splits it; the program name comes first.
[[nodiscard]] std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

} // namespace tn
