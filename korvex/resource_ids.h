#pragma once
// Resource and command ids of KORVEX.EXE, shared by the .rc and the code.

#define IDI_KORVEX 1
#define IDR_KORVEX_MENU 100
#define IDR_KORVEX_KEYS 101
#define IDD_ENTRY 200
#define IDD_LIBRARY_PROPERTIES 201

#define IDC_ORIGINAL 1001
#define IDC_TRANSLATION 1002
#define IDC_DESCRIPTION 1003
#define IDC_LIBRARY_FACTS 1004

#define IDM_NEW 40001
#define IDM_OPEN 40002
#define IDM_SAVE 40003
#define IDM_SAVE_AS 40004
#define IDM_IMPORT 40005
#define IDM_EXPORT 40006
#define IDM_PROPERTIES 40007
#define IDM_EXIT 40008
#define IDM_ADD 40101
#define IDM_CHANGE 40102
#define IDM_DELETE 40103
#define IDM_UNDO 40104
#define IDM_FIND 40105
#define IDM_ABOUT 40201
