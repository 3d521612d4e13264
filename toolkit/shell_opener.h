#pragma once
// Opening a web page or mail address through the shell, behind a seam so that
// tests can see what would open without a browser or mail program starting.
#include <string>

namespace qmo {

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // The "open" verb, no owner, parameters or working directory; a failure shows nothing.
    virtual void Open(const std::wstring& target, int showCommand) = 0;
};

// The one that asks the shell.
ShellOpener& SystemShellOpener();

}  // namespace qmo
