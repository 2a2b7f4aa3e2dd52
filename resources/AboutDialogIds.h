#pragma once

// The About dialog (its OK button is IDOK, 1).
#define IDD_ABOUT 113
#define IDC_ABOUT_DESCRIPTION 1003
#define IDC_ABOUT_VERSION 1004
#define IDC_ABOUT_COPYRIGHT 1005
