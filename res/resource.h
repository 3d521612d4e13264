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

// Texts of the frame, its view and the toolkit (3000-3199).
#define IDS_CRITICAL_LIMIT 3000
#define IDS_MEMORY_OPTIMIZED 3001
#define IDS_TRAY_COMMITTED_LINE 3002
#define IDS_TRAY_IN_USE_LINE 3003
#define IDS_RIGHTS_NOTICE 3004
#define IDS_TAB_PERFORMANCE 3005
#define IDS_TAB_PROCESS 3006
#define IDS_TAB_SETTINGS 3007
#define IDS_OPTIMIZE_MEMORY_BUTTON 3008
#define IDS_ACTION_PRESS 3010
#define IDS_ACTION_SWITCH 3011
#define IDS_ACTION_JUMP 3012
#define IDS_ACTION_COLLAPSE 3013
#define IDS_ACTION_EXPAND 3014
#define IDS_SORT_ASCENDING 3015
#define IDS_SORT_DESCENDING 3016
#define IDS_ALIGN_LEFT 3017
#define IDS_ALIGN_CENTER 3018
#define IDS_ALIGN_RIGHT 3019
#define IDS_ALIGNMENT 3020

// Groups and links of the navigation panel; each id is also its caption's string.
#define ID_TASKGROUP_PERFORMANCE 130
#define ID_TASKITEM_PERFORMANCE 131
#define ID_TASKGROUP_PROCESS 61204
#define ID_TASKGROUP_SETTINGS 61205
#define ID_TASKITEM_PROCESS 61206
#define ID_TASKITEM_SETTINGS 61207
#define ID_TASKGROUP_OPTIMIZE 61210

// Child windows of the main frame's view: the view itself, its footer and two
// task panels (all three 1), the page tabs and the navigation panel's
// optimize button.
#define IDC_PAGE_HOST_VIEW 0xE900
#define IDC_VIEW_PANEL 1
#define IDC_PAGE_TABS 61209
#define IDC_OPTIMIZE_MEMORY 300

#define IDD_OPTIMIZE_PROGRESS 138
#define IDC_OPTIMIZE_PROGRESS 1006

#define IDB_POPUP_CLOSE 142

// A bitmap drawn for 150 % or 200 % display scale has the id of its 100 %
// picture plus one of these; one that is missing falls back to a smaller size.
#define IDB_ART_150_OFFSET 1000
#define IDB_ART_200_OFFSET 2000

#define ID_VISIT_WEBSITE 32771
#define ID_VIEW_PERFORMANCE 32772
#define ID_VIEW_PROCESSES 32773
#define ID_VIEW_SETTINGS 32774
#define ID_OPTIMIZE 32775
#define ID_TRAY_SHOW_HIDE 32776
#define ID_TRAY_EXIT 32777
#define ID_HELP_TOPICS 32780
#define ID_VIEW_HISTORY 32790
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665

// The main frame's system-wide hotkey: Ctrl+Alt+letter, the emergency
// optimization (an application's hotkey ids lie below 0xC000).
#define IDHK_EMERGENCY_OPTIMIZE 1
