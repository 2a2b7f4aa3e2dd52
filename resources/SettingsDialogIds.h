#pragma once

// Settings dialog: 117 edits the whole log path, 119 only the file name in the fixed folder.
#define IDD_SETTINGS_PATH 117
#define IDD_SETTINGS_FILE 119

#define IDC_SIZE_LABEL 1000
#define IDC_NAME_LABEL 1001
#define IDC_SIZE_UNIT 1002
#define IDC_SIZE_EDIT 1003
#define IDC_SIZE_SPIN 1004
#define IDC_PATH_EDIT 1005
#define IDC_BROWSE 1006
#define IDC_DEFAULTS_PATH 1007
#define IDC_DEFAULTS_FILE 1008
#define IDC_FOLDER_EDIT 1009
#define IDC_FOLDER_LABEL 1046
#define IDC_FILE_LABEL 1047
#define IDC_FILE_EDIT 1048
