#include "ProgramFolder.h"

namespace trawlix {

std::string programFolderOf(const std::string& executablePath) {
    const std::size_t slash = executablePath.find_last_of('\\');
    if (slash == std::string::npos) return {};
    std::string folder = executablePath.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

}  // namespace trawlix
