#pragma once
#include <string>
#include <string_view>

#include "framework/identity.h"

namespace qmo {

// The help file beside the executable. The program runs elevated, so a help
// file is never taken from the working directory, where anyone may drop one.
std::string HelpFilePathBesideExecutable(const std::string& executablePath);

}  // namespace qmo
