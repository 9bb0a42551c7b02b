// Numeric ids of the program's resources, shared by the scripts and the code.
#pragma once

#define IDD_MODIFY_PASSWORD 383
#define IDD_INPUT_PASSWORD 384
#define IDC_PASSWORD_CONFIRM 1007
#define IDC_PASSWORD 1009
#define IDD_ABOUTBOX 100
#define IDD_NOTICE_BOARD 461
#define IDD_VIEW_INFO 468
#define IDS_CREDITS 111
#define IDC_INFO_TEXT 1006
#define IDC_ECARD_LOGIN 1021
#define IDC_CREDITS 1232
#define IDC_LINK_HOME 1233
#define IDC_LINK_SUPPORT 1234
#define IDC_LINK_SMS 1240
