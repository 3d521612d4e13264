#pragma once
// Identifiers of the About box's template and its link controls.

#define IDD_ABOUTBOX 100
#define IDC_LINK_WEB 1025
#define IDC_LINK_SUPPORT 1035
#define IDC_LINK_SALES 1036
