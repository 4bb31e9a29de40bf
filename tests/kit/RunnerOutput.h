// What the runner prints, and the texts it prints for Windows' error codes.
#pragma once

#include <string>

namespace kit {

// One line on the runner's standard output, written at once so that it keeps its place among the
// test programs' own output on the same console or pipe.
void say(const std::wstring& line);

// "error 193 (%1 is not a valid Win32 application.)"
std::wstring errorText(unsigned long code);

}  // namespace kit
