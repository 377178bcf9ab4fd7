// Resource identifiers of Kontakta. Shared by the resource script and the code.
#pragma once

// Dialog templates
#define IDD_KONTAKTA_DIALOG 102
#define IDD_HIDDEN_WINDOW 129
#define IDD_EDIT_ACTION 130
#define IDD_SETUP_GENERAL 131
#define IDD_SETUP_INFO 132
#define IDD_MESSAGE_WINDOW 133
#define IDD_START_PICTURE 149
#define IDD_MOUSE_PANEL 162
#define IDD_KEY_PANEL 163
#define IDD_RUNFILE_PANEL 164
#define IDD_SETUP_TEST 165
#define IDD_POINTER_PANEL 166
#define IDD_WHEEL_PANEL 167
#define IDD_CONTROL_PANEL 168
#define IDD_SETUP_PROFILES 170
#define IDD_PROFILE_NAME 171
#define IDD_PROFILE_PROGRAMS 172
#define IDD_PROFILE_IMPORT 173

// Icons and bitmaps
#define IDI_KONTAKTA 128
#define IDI_KONTAKTA_MISSING 135
#define IDI_KONTAKTA_PAUSED 136
#define IDI_KONTAKTA_LATCHED 137
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

// The sensor page: row n (1 to 8) uses button 999 + n, group static 1016 + n,
// action static 1024 + n and checkbox 1040 + n.
#define IDC_ROW_BUTTON_BASE 999
#define IDC_ROW_GROUP_BASE 1016
#define IDC_ROW_ACTION_BASE 1024
#define IDC_ROW_CHECK_BASE 1040
#define IDC_BEEP_CHECK 1008

// The test page: row n (1 to 8) uses the lamp 1200 + n, the hold time 1210 + n
// with its spin 1220 + n, the lockout 1230 + n with its spin 1240 + n and the
// counters 1250 + n.
#define IDC_LAMP_BASE 1200
#define IDC_HOLD_BASE 1210
#define IDC_HOLD_SPIN_BASE 1220
#define IDC_LOCKOUT_BASE 1230
#define IDC_LOCKOUT_SPIN_BASE 1240
#define IDC_COUNTS_BASE 1250
#define IDC_SUSPEND_CHECK 1260
#define IDC_INDICATOR_CHECK 1261

// The action editor and its panels
#define IDC_PANEL_FRAME 1012
#define IDC_GROUP_COMBO 1042
#define IDC_MOUSE_COMBO 1042
#define IDC_PANEL_INFO 1044
#define IDC_PATH_EDIT 1046
#define IDC_BROWSE 1047
#define IDC_KEY_FIELD 1048
#define IDC_REPEAT_CHECK 1052
#define IDC_KEY_CODE_BUTTON 1055
// The later panels and the new controls of the mouse and key panels: each id
// is used in one panel only, so a control names its panel.
#define IDC_MOUSE_LATCH 1301
#define IDC_KEY_LATCH 1302
#define IDC_MODIFIER_COMBO 1304
#define IDC_KEY_HINT 1305
#define IDC_DIRECTION_COMBO 1310
#define IDC_START_SPEED 1311
#define IDC_START_SPEED_SPIN 1312
#define IDC_TOP_SPEED 1313
#define IDC_TOP_SPEED_SPIN 1314
#define IDC_ACCELERATION 1315
#define IDC_ACCELERATION_SPIN 1316
#define IDC_WHEEL_COMBO 1320
#define IDC_WHEEL_DELAY 1321
#define IDC_WHEEL_DELAY_SPIN 1322
#define IDC_WHEEL_RATE 1323
#define IDC_WHEEL_RATE_SPIN 1324
#define IDC_CONTROL_COMBO 1330
#define IDC_CONTROL_INFO 1331
#define IDC_SWEEP_LABEL 1332
#define IDC_SWEEP_TIME 1333
#define IDC_SWEEP_TIME_SPIN 1334
#define IDC_STEP_LABEL 1335
#define IDC_STEP_TIME 1336
#define IDC_STEP_TIME_SPIN 1337
#define IDC_SCAN_REFINE 1338
#define IDC_SCAN_NOTE 1339

// The "Profile" page and its dialogs. The import dialog's check box n (1 to
// 8) is 1430 + n.
#define IDC_PROFILE_LIST 1401
#define IDC_PROFILE_NEW 1402
#define IDC_PROFILE_RENAME 1403
#define IDC_PROFILE_DELETE 1404
#define IDC_PROFILE_UP 1405
#define IDC_PROFILE_DOWN 1406
#define IDC_PROFILE_ACTIVATE 1407
#define IDC_PROFILE_PROGRAMS 1408
#define IDC_PROFILE_EXPORT 1409
#define IDC_PROFILE_IMPORT 1410
#define IDC_PROFILE_NOTE 1411
#define IDC_PROFILE_WARNING 1412
#define IDC_PROFILE_NAME_EDIT 1420
#define IDC_PROGRAMS_EDIT 1421
#define IDC_IMPORT_HEADING 1429
#define IDC_IMPORT_CHECK_BASE 1430
#define IDC_IMPORT_NOTE 1440
#define IDC_IMPORT_TARGETS 1441

// Commands
#define ID_SETTINGS 40001
#define ID_EXIT 40003
#define ID_PAUSE_SENSORS 40004
#define ID_RELEASE_ALL 40005
// The tray's "Profil" submenu: ID_PROFILE_FIRST + the profile's place, for
// up to eight profiles (40100 to 40107).
#define ID_PROFILE_FIRST 40100
#define ID_PAGE_MODIFIED 1124
