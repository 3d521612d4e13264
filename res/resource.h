#pragma once
// Resource and command identifiers shared by the .rc file and the code.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Document template: main menu, window icon and document string.
#define IDR_MAINFRAME 128
#define IDR_TRAY_MENU 143
#define IDI_TRAY 129
#define IDI_TRAY_FRAME_1 144
#define IDI_TRAY_FRAME_2 145
#define IDI_TRAY_FRAME_3 146
#define IDI_TRAY_FRAME_4 147

#define IDS_APPLICATION_TITLE 57344

#define IDD_OPTIMIZE_PROGRESS 138
#define IDC_OPTIMIZE_PROGRESS 1006

#define IDB_POPUP_CLOSE 142

#define ID_VISIT_WEBSITE 32771
#define ID_VIEW_PERFORMANCE 32772
#define ID_VIEW_PROCESSES 32773
#define ID_VIEW_SETTINGS 32774
#define ID_OPTIMIZE 32775
#define ID_TRAY_SHOW_HIDE 32776
#define ID_TRAY_EXIT 32777
#define ID_HELP_TOPICS 32780
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
