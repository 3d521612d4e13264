#include "toolkit/shell_opener.h"

#include <windows.h>
#include <shellapi.h>

namespace qmo {
namespace {

class ShellExecuteOpener : public ShellOpener {
public:
    void Open(const std::wstring& target, int showCommand) override {
        ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, showCommand);
    }
};

}  // namespace

ShellOpener& SystemShellOpener() {
    static ShellExecuteOpener opener;
    return opener;
}

}  // namespace qmo
