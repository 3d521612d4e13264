#include "shell/help_file.h"

namespace qmo {

std::string HelpFilePathBesideExecutable(const std::string& executablePath) {
    const auto separator = executablePath.find_last_of("\\/");
    std::string folder = separator == std::string::npos ? std::string() : executablePath.substr(0, separator);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder + std::string(kHelpFileName);
}

}  // namespace qmo
