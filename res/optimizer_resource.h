#pragma once
// The optimizer's texts: what a run freed and what came back, how it was
// started and where its figures were read, and why an area failed.
// String ids 2000-2199.

// What a run freed, in the green notice and the tray's tip.
#define IDS_FREED_MB 2000
#define IDS_FREED_LESS_THAN_1_MB 2001
#define IDS_LAST_OPTIMIZED 2002
#define IDS_LAST_OPTIMIZED_FREED_MB 2003
#define IDS_LAST_OPTIMIZED_FREED_LESS_THAN_1_MB 2004
#define IDS_REBOUND_MB_SECONDS 2005
#define IDS_REBOUND_MB_MINUTES 2006
#define IDS_REBOUND_LESS_THAN_1_MB_SECONDS 2007
#define IDS_REBOUND_LESS_THAN_1_MB_MINUTES 2008
#define IDS_REBOUND_NOTHING_SECONDS 2009
#define IDS_REBOUND_NOTHING_MINUTES 2010

// What started a run, as the history window shows it.
#define IDS_TRIGGER_MENU 2020
#define IDS_TRIGGER_TRAY 2021
#define IDS_TRIGGER_PAGE 2022
#define IDS_TRIGGER_NAVIGATION 2023
#define IDS_TRIGGER_POPUP 2024
#define IDS_TRIGGER_HOTKEY 2025
#define IDS_TRIGGER_COMMAND_LINE 2026
#define IDS_TRIGGER_AUTOMATIC 2027
#define IDS_TRIGGER_SELECTED 2028

// Where a reading's figures came from, as the history window shows it.
#define IDS_SOURCE_MEMORY_LISTS 2040
#define IDS_SOURCE_PERFORMANCE_INFORMATION 2041
#define IDS_SOURCE_NONE 2042

// Why an area failed, in the program's own words.
#define IDS_REASON_NONE_GIVEN 2060
#define IDS_REASON_NO_PROCESS_LIST 2061
#define IDS_REASON_SWEEP_RUNNING 2062
#define IDS_REASON_PROCESS_NOT_OPENED 2063
