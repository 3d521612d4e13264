#include <windows.h>

#include "app/memory_optimizer_app.h"

namespace {

CMemoryOptimizerApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return theApp.Run(instance, showCommand);
}
