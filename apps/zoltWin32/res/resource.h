// Resource ids of zolt.exe. Ids that the rest of the system knows are fixed; the string ids of our
// own lie above every other string of the program.
#pragma once

// Icons: the program's own, and the one of the Zephro edition.
#define IDI_ZOLT                        1
#define IDI_ZOLT_ZEPHRO                 41900

// The main menu and the accelerator tables (normal, and the one used in full screen).
#define IDR_MAIN_MENU                   115
#define IDR_ACCEL_NORMAL                115
#define IDR_ACCEL_FULLSCREEN            41909

// Commands of the main menu. Popups carry no ids in the resource; the menu bar gives them the
// *_MENU ids at run time.
#define IDM_FILE_NEW_ZEPHRO_TEMPLATE    449
#define IDM_FILE_NEW_VM                 40043
#define IDM_FILE_NEW_TEAM               41400
#define IDM_FILE_NEW_WINDOW             40206
#define IDM_FILE_OPEN                   40009
#define IDM_FILE_IMPORT                 618
#define IDM_FILE_CONNECT_ZEPHRO_SERVER  40003
#define IDM_FILE_CLOSE                  40049
#define IDM_FILE_MAP_DISKS              40245
#define IDM_FILE_FAVORITES              40084
#define IDM_FILE_EXIT                   40002

#define IDM_EDIT_CUT                    40217
#define IDM_EDIT_COPY                   40218
#define IDM_EDIT_PASTE                  40219
#define IDM_EDIT_NETWORK_SETTINGS       40220
#define IDM_EDIT_PREFERENCES            40018

#define IDM_VIEW_FULL_SCREEN            40022
#define IDM_VIEW_QUICK_SWITCH           40068
#define IDM_VIEW_CURRENT_MENU           40193
#define IDM_VIEW_SUMMARY                40194
#define IDM_VIEW_APPLIANCE              40195
#define IDM_VIEW_CONSOLE                40196
#define IDM_VIEW_AUTOFIT_WINDOW         40023
#define IDM_VIEW_AUTOFIT_GUEST          40024
#define IDM_VIEW_FIT_WINDOW             40025
#define IDM_VIEW_FIT_GUEST              40026
#define IDM_VIEW_HOME                   40028
#define IDM_VIEW_SIDEBAR                40065
#define IDM_VIEW_TOOLBAR_ZEPHRO         468
#define IDM_VIEW_TOOLBAR_POWER          469
#define IDM_VIEW_TOOLBAR_SNAPSHOT       481
#define IDM_VIEW_TOOLBAR_VIEW           470
#define IDM_VIEW_TOOLBAR_REPLAY         620
#define IDM_VIEW_STATUS_BAR             40030
#define IDM_VIEW_TABS                   40077
#define IDM_VIEW_DATABASE_VIEWER        40064

#define IDM_FAVORITES_PLACEHOLDER       40221
#define IDM_INVENTORY_PLACEHOLDER       175

#define IDM_HOST_SWITCH                 40199
#define IDM_HOST_DISCONNECT             40200
#define IDM_HOST_NETWORK_SETTINGS       40063
#define IDM_HOST_SETTINGS               40074

#define IDM_VM_POWER_MENU               40073
#define IDM_VM_POWER_ON                 40062
#define IDM_VM_POWER_OFF                40019
#define IDM_VM_SUSPEND                  40020
#define IDM_VM_RESET                    40021
#define IDM_VM_START_GUEST              171
#define IDM_VM_SHUT_DOWN_GUEST          168
#define IDM_VM_SUSPEND_GUEST            169
#define IDM_VM_RESTART_GUEST            172
#define IDM_VM_SNAPSHOT_MENU            40492
#define IDM_VM_SNAPSHOT_TAKE            40059
#define IDM_VM_SNAPSHOT_REVERT          40051
#define IDM_VM_SNAPSHOT_DELETE          40067
#define IDM_VM_SNAPSHOT_MANAGER         40060
#define IDM_VM_SNAPSHOT_RECENT_FIRST    40493
#define IDM_VM_SNAPSHOT_RECENT_LAST     40502
#define IDM_VM_DEVICES_MENU             40070
#define IDM_VM_DEVICE_FIRST             50001
#define IDM_VM_USB_FIRST                50100
#define IDM_VM_REPLAY_MENU              632
#define IDM_VM_REPLAY_PLAY              622
#define IDM_VM_REPLAY_RECORD            628
#define IDM_VM_REPLAY_STOP              631
#define IDM_VM_CLONE                    513
#define IDM_VM_CLONE_TO_ZEPHRO          41960
#define IDM_VM_FORK                     532
#define IDM_VM_TOOLS                    40010
#define IDM_VM_UPGRADE_HARDWARE         40058
#define IDM_VM_CONNECTED_USERS          40203
#define IDM_VM_REMOVE                   165
#define IDM_VM_CTRL_ALT_DEL             40071
#define IDM_VM_GRAB_INPUT               40072
#define IDM_VM_CAPTURE_SCREEN           40047
#define IDM_VM_CAPTURE_MOVIE            40048
#define IDM_VM_DELETE                   40721
#define IDM_VM_MESSAGE_LOG              40730
#define IDM_VM_SETTINGS                 40046

#define IDM_TEAM_POWER_MENU             41401
#define IDM_TEAM_POWER_ON               41402
#define IDM_TEAM_POWER_OFF              41403
#define IDM_TEAM_SUSPEND                41404
#define IDM_TEAM_RESET                  41405
#define IDM_TEAM_SWITCH_MENU            41500
#define IDM_TEAM_SWITCH_FIRST_VM        41501
#define IDM_TEAM_NEXT_VM                41598
#define IDM_TEAM_PREVIOUS_VM            41599
#define IDM_TEAM_ADD_MENU               41406
#define IDM_TEAM_ADD_NEW_VM             41407
#define IDM_TEAM_ADD_EXISTING_VM        41408
#define IDM_TEAM_ADD_CLONE              40714
#define IDM_TEAM_ADD_LAN                41409
#define IDM_TEAM_REMOVE_MENU            41600
#define IDM_TEAM_REMOVE_FIRST_VM        41601
#define IDM_TEAM_REMOVE_FIRST_LAN       41701
#define IDM_TEAM_DELETE                 40722
#define IDM_TEAM_SETTINGS               41410

#define IDM_ZEPHRO_POLICIES             437
#define IDM_ZEPHRO_PACKAGE_SETTINGS     41899
#define IDM_ZEPHRO_PREVIEW              476
#define IDM_ZEPHRO_NEW_PACKAGE          450
#define IDM_ZEPHRO_NEW_PORTABLE_PACKAGE 455
#define IDM_ZEPHRO_SERVER               41902
#define IDM_ZEPHRO_CLONE                41903
#define IDM_ZEPHRO_DELETE               41904

#define IDM_WINDOW_NEXT_TAB             40087
#define IDM_WINDOW_PREVIOUS_TAB         40088
#define IDM_WINDOW_FIRST_TAB            40089

#define IDM_HELP_TOPICS                 40033
#define IDM_HELP_GUIDE                  40190
#define IDM_HELP_ZEPHRO_GUIDE           41989
#define IDM_HELP_MANUAL                 40191
#define IDM_HELP_ENABLE_ALL_HINTS       40037
#define IDM_HELP_SHOW_ENABLED_HINTS     40038
#define IDM_HELP_TIP_OF_THE_DAY         40039
#define IDM_HELP_HOME_PAGE              40052
#define IDM_HELP_SUPPORT                40053
#define IDM_HELP_PRODUCTS               40054
#define IDM_HELP_REPORT                 40057
#define IDM_HELP_CHECK_UPDATES          40192
#define IDM_HELP_ABOUT                  40041

// The about box (its id and control ids are shared with the rest of the system).
#define IDD_ABOUT                       118
#define IDC_ABOUT_ICON                  1026
#define IDC_ABOUT_PRODUCT               61600

// Strings. The application library's strings, linked into the same module, lie at 61000.
#define IDS_APP_TITLE                   61500
#define IDS_APP_VERSION                 61501

// Version of the program, also printed by -T as "major.minor.patch build-N".
#define ZOLT_VERSION_MAJOR              1
#define ZOLT_VERSION_MINOR              0
#define ZOLT_VERSION_PATCH              0
#define ZOLT_VERSION_BUILD              1
#define ZOLT_VERSION_TEXT               "1.0.0 build-1"

// The message dialog and the progress window of the dialog factory.
#define IDD_VMDLG                       502
#define IDD_VMPROGRESS                  607
#define IDI_HINT                        342
#define IDC_VMDLG_PASSWORD_LABEL        1047
#define IDC_VMDLG_PASSWORD              1170
#define IDC_VMDLG_CHOICE_FIRST          1171
#define IDC_VMDLG_CHOICE_LAST           1181
#define IDC_VMDLG_TEXT                  1182
#define IDC_VMDLG_ICON                  1183
#define IDC_VMDLG_CONFIRM               1199
#define IDC_VMDLG_CONFIRM_LABEL         1200
#define IDC_VMDLG_FIRST                 1241
#define IDC_VMDLG_SECOND                1242
#define IDC_VMDLG_CHECK                 1243
#define IDC_PROGRESS_TEXT               4122
#define IDC_PROGRESS_BAR                4123

// Strings of the dialogs and the error reports.
#define IDS_NO_PERMISSION               13
#define IDS_CAPTURE_MOVIE_FAILED        523
#define IDS_UNKNOWN_ERROR               5000
#define IDS_DLG_HINT_SUPPRESS           40673
#define IDS_DLG_OK                      40674
#define IDS_DLG_CANCEL                  40675
#define IDS_DLG_RETRY                   40676
#define IDS_DLG_ABORT                   40677
#define IDS_DLG_YES                     40678
#define IDS_DLG_NO                      40679
#define IDS_DLG_QUESTION_SUPPRESS       40698
#define IDS_OPEN_FILE_UNKNOWN_FORMAT    41358
#define IDS_DLG_TITLE                   41361
