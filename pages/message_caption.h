#pragma once
// The caption of the program's message boxes: the main window's title, or
// the program's title while there is no main window yet, as during the
// frame's creation when the pages initialise.
#include <windows.h>

#include <iterator>
#include <string>

#include "framework/application.h"
#include "framework/window.h"
#include "pages/frame_texts.h"

namespace qmo {

inline std::wstring MessageBoxCaption() {
    const Application* application = Application::Current();
    const Window* main = application ? application->MainWindow() : nullptr;
    wchar_t title[201] = {};  // at most 200 characters of it
    if (main)
        ::GetWindowTextW(main->GetSafeHwnd(), title, static_cast<int>(std::size(title)));
    return title[0] ? std::wstring(title) : kMainWindowTitle.Load();
}

}  // namespace qmo
