// Resource ids of the program.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_VIEWER_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_PROCESS_LIST 1000
#define IDC_MODULE_LIST 1001
#define IDC_REFRESH 1002
#define IDC_SAVE_LIST 1003
#define IDC_COPY_MODULES 1004

#define IDM_ABOUTBOX 0x0010
