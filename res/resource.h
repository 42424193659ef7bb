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

// The program's file name without its extension, as a string. The build defines
// QUENDRIX_PROGRAM: Quendrix, or Quendrix64 for the 64-bit program.
#define QUENDRIX_QUOTE(name) #name
#define QUENDRIX_QUOTE_EXPANDED(name) QUENDRIX_QUOTE(name)
#define QUENDRIX_PROGRAM_NAME QUENDRIX_QUOTE_EXPANDED(QUENDRIX_PROGRAM)
// QUENDRIX_CLI_PROGRAM: QuendrixCli, or QuendrixCli64 for the 64-bit console program.
#define QUENDRIX_CLI_PROGRAM_NAME QUENDRIX_QUOTE_EXPANDED(QUENDRIX_CLI_PROGRAM)
