// Resource identifiers of Kontakta. Shared by the resource script and the code.
#pragma once

// Dialog templates
#define IDD_KONTAKTA_DIALOG 102
#define IDD_HIDDEN_WINDOW 129
#define IDD_SETUP_GENERAL 131
#define IDD_SETUP_INFO 132
#define IDD_MESSAGE_WINDOW 133
#define IDD_START_PICTURE 149

// Icons and bitmaps
#define IDI_KONTAKTA 128
#define IDI_KONTAKTA_MISSING 135
#define IDB_LOGO 138
#define IDB_SPLASH 139

// Menus
#define IDR_TRAY_MENU 133

// Controls
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_SPLASH_STATUS 1006
#define IDC_MESSAGE_TEXT 1028
#define IDC_INFO_VERSION 1034
#define IDC_DEVICE_STATUS 1054

// Commands
#define ID_SETTINGS 40001
#define ID_EXIT 40003
#define ID_PAGE_MODIFIED 1124
