// Ids shared by tqsetup.rc and the code: dialog templates, strings, icon and
// the controls of each page. Plain macros so that windres reads them too.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX          100
#define IDD_DETAIL_SETTING    102
#define IDD_SELECT_OS         129
#define IDD_CREATE_PORT       138
#define IDD_SELECT_PORT       139

// Strings and icon
#define IDS_ABOUTBOX          101
#define IDR_MAINFRAME         128

// Initialisation data of a dialog template (items added to its lists)
#define RT_TQ_DLGINIT         240

// Command id of the About item in the Detail Setting page's system menu
#define IDM_ABOUTBOX          0x0010

// Select OS page
#define IDC_WIN95             1000
#define IDC_WIN98             1001
#define IDC_WINNT4            1002
#define IDC_WIN2000           1003
#define IDC_WINXP             1004
#define IDC_WIN7              1005
#define IDC_WIN8              1006
#define IDC_SLIDER            1007
#define IDC_OS_BACK           1008
#define IDC_INSTALL_DRIVER    1009
#define IDC_OS_EXIT           1010
#define IDC_WIN2003           1011
#define IDC_OS_EDIT           1013
#define IDC_WINVISTA          1020
#define IDC_INSTALL_USB       1022
#define IDC_HIDDEN_LAUNCHER   1023

// Detail Setting page
#define IDC_BACK              1008
#define IDC_NEXT              1009
#define IDC_EXIT              1010
#define IDC_MODEL_LIST        1011
#define IDC_SET_DEFAULT       1012
#define IDC_PRINTER_NAME      1013
#define IDC_PORT_LIST         1014
#define IDC_BAUD_LIST         1015
#define IDC_DATA_BITS_LIST    1016
#define IDC_FLOW_CONTROL_LIST 1017
#define IDC_PARITY_LIST       1018
#define IDC_STOP_BITS_LIST    1019

// Select Port page
#define IDC_CREATE_PORT       1008
#define IDC_CONFIGURE_PORT    1009
#define IDC_PORT_BACK         1010
#define IDC_PORTS             1021
#define IDC_INSTALL           1022
#define IDC_PORT_CANCEL       1023
#define IDC_PROGRESS          1025

// Create Port dialog
#define IDC_MONITORS          1021
#define IDC_NEW_PORT          1008
#define IDC_CLOSE             1009
