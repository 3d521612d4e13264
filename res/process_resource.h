#pragma once
// The process page's context menu and its commands.
#define IDR_PROCESS_CONTEXT_MENU 151
#define ID_OPTIMIZE_SELECTED_PROCESS 32782
#define ID_PROCESS_NEVER_OPTIMIZE 32791
#define ID_PROCESS_OPTIMIZE_AGAIN 32792
// The header menu's entry that shows or hides the committed memory column.
#define ID_PROCESS_TOGGLE_COMMITTED 32793
