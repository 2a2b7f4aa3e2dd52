#pragma once

// The totals dialog: template and controls (its close button is IDCANCEL, 2).
#define IDD_TOTALS 121
#define IDC_TOTALS_GROUP_LABEL 1110
#define IDC_TOTALS_BY_USER 1111
#define IDC_TOTALS_BY_PRINTER 1112
#define IDC_TOTALS_BY_REQUESTER 1113
#define IDC_TOTALS_LIST 1114
#define IDC_TOTALS_SAVE 1115

// The find dialog (its close button is IDCANCEL, 2).
#define IDD_FIND 122
#define IDC_FIND_LABEL 1120
#define IDC_FIND_TEXT 1121
#define IDC_FIND_NEXT 1122
#define IDC_FIND_PREVIOUS 1123
