// The program folder: the folder of the running executable, as the link paths are built from it.
#pragma once

#include <string>

namespace trawlix {

// The executable's full path less its file name and the backslash before it; at a drive root
// the backslash stays ("E:\"), since "E:" names the current directory of drive E, not its root.
std::string programFolderOf(const std::string& executablePath);

}  // namespace trawlix
