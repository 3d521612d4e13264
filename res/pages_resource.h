#pragma once
// Identifiers of the three pages' dialog templates, their controls, and the
// bitmaps of the banner, the task icon strip and the Optimize Memory button.
// Control ids are per page: the same number names different controls on
// different pages.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Bitmaps drawn by res/art/draw_art.py.
#define IDB_TASK_ICONS 130
#define IDB_BANNER_LEFT 133
#define IDB_BANNER_MIDDLE 134
#define IDB_OPTIMIZE_BUTTON 148
#define IDB_BANNER_RIGHT 150

// Dialog templates of the pages.
#define IDD_PERFORMANCE_PAGE 135
#define IDD_PROCESS_PAGE 136
#define IDD_SETTINGS_PAGE 140

// On every page: the "Optimize Memory" button.
#define IDC_PAGE_OPTIMIZE_MEMORY 1029

// Performance page (135).
#define IDC_PERF_SPARE_LABEL 1001
#define IDC_PERF_OPTIMISE 1005
#define IDC_PERF_MEMORY_RULE 1017
#define IDC_PERF_CPU_RULE 1018
#define IDC_PERF_MEMORY_LABEL 1025
#define IDC_PERF_CPU_LABEL 1026
#define IDC_PERF_CPU_GRAPH 1030
#define IDC_PERF_MEMORY_GRAPH 1031
#define IDC_PERF_CPU_GAUGE 1032
#define IDC_PERF_MEMORY_GAUGE 1034

// Process page (136).
#define IDC_PROCESS_LIST 1000
#define IDC_PROCESS_REFRESH 1005
#define IDC_PROCESS_END 1006
#define IDC_PROCESS_RULE 1017
#define IDC_PROCESS_HEADING 1025
#define IDC_PROCESS_OPTIMIZE_SELECTED 1031

// Settings page (140).
#define IDC_SETTINGS_APPLY_OPTIMIZER 1005
#define IDC_SETTINGS_APPLY_GENERAL 1006
#define IDC_SETTINGS_CRITICAL_LIMIT 1007
#define IDC_SETTINGS_RUN_AT_STARTUP 1011
#define IDC_SETTINGS_SHOW_NOTIFICATION 1012
#define IDC_SETTINGS_LIMIT_SPIN 1013
#define IDC_SETTINGS_SHORTCUT_KEY 1014
#define IDC_SETTINGS_OPTIMIZER_HEADING 1017
#define IDC_SETTINGS_GENERAL_HEADING 1018
#define IDC_SETTINGS_PERCENT 1019
#define IDC_SETTINGS_LIMIT_LABEL 1020
#define IDC_SETTINGS_SHORTCUT_PREFIX 1021
#define IDC_SETTINGS_SHORTCUT_LABEL 1022
#define IDC_SETTINGS_OPTIMIZER_RULE 1023
#define IDC_SETTINGS_GENERAL_RULE 1024
#define IDC_SETTINGS_AUTO_OPTIMIZE 1027
#define IDC_SETTINGS_AUTO_REFRESH 1028
