#pragma once
// The process page's context menu and its one command.
#define IDR_PROCESS_CONTEXT_MENU 151
#define ID_OPTIMIZE_SELECTED_PROCESS 32782
