// What must not be on the desktop while the tests run: they start, type into and close Trawlix and
// any window that looks like the client.
#pragma once

#include <string>
#include <vector>

namespace kit {

// One line for each Trawlix.exe running and each window whose title begins with "KaZaA - ";
// nothing when the tests may run.
std::vector<std::wstring> reasonsToRefuse();

// Ends every Trawlix.exe and stand-in client still running after the tests: none ran before them,
// and a left one would keep the installed copy's files from being put back.
void endLeftoverPrograms();

}  // namespace kit
