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
#define IDM_VM_REPLAY_OPTIONS           621
#define IDM_VM_REPLAY_GO_LIVE           630
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

// The Window menu's tabs and the team lists the menu bar builds at run time.
#define IDM_WINDOW_LAST_TAB             40188
#define IDM_TEAM_SWITCH_LAST_VM         41589
#define IDM_TEAM_REMOVE_LAST_VM         41689
#define IDM_TEAM_REMOVE_LAST_LAN        41789
#define IDM_VM_DEVICE_LAST              50099
#define IDM_VM_USB_LAST                 50199

// Context menus: each is the first popup of its menu resource.
#define IDR_MENU_HOME_TAB               616
#define IDR_MENU_TEAM                   527
#define IDR_MENU_VM                     415
#define IDR_MENU_MVMT                   432
#define IDR_MENU_SERVER                 680
#define IDR_MENU_HOTFIX                 346
#define IDR_MENU_FAVORITES_BACKGROUND   418
#define IDR_MENU_INVENTORY_BACKGROUND   416
#define IDR_MENU_TOOLBARS               467
#define IDR_MENU_FULLSCREEN_OPTIONS     660
#define IDR_MENU_FULLSCREEN_VMS         640

// Commands found only in context menus.
#define IDM_HOME_CLOSE                  617
#define IDM_VM_OPEN                     429
#define IDM_VM_CLOSE                    166
#define IDM_VM_RENAME                   417
#define IDM_VM_FAVORITES                40078
#define IDM_VM_REMOVE_FROM_TEAM         40723
#define IDM_TEAM_OPEN                   431
#define IDM_TEAM_CLOSE                  613
#define IDM_TEAM_RENAME                 528
#define IDM_TEAM_FAVORITES              40079
#define IDM_MVMT_OPEN                   430
#define IDM_MVMT_CLOSE                  446
#define IDM_MVMT_RENAME                 436
#define IDM_MVMT_FAVORITES              40080
#define IDM_SERVER_CONNECT              681
#define IDM_SERVER_CLOSE                682
#define IDM_SERVER_FORGET               683
#define IDM_HOTFIX_CLOSE                347
#define IDM_NEW_FOLDER                  426
#define IDM_TOOLBAR_CUSTOMIZE           41883
#define IDM_FS_RESTORE                  661
#define IDM_FS_MOVE                     662
#define IDM_FS_SIZE                     663
#define IDM_FS_MINIMIZE                 664
#define IDM_FS_MAXIMIZE                 665
#define IDM_FS_EXCLUSIVE                666
#define IDM_FS_AUTOFIT_GUEST            667
#define IDM_FS_STRETCH_GUEST            668
#define IDM_FS_CENTER_GUEST             669
#define IDM_FS_CLOSE                    670
#define IDM_FS_FIRST_VM                 641
#define IDM_FS_LAST_VM                  656
#define IDM_FS_PREVIOUS_VM              658
#define IDM_FS_NEXT_VM                  659

// Texts the menu state gives items.
#define IDS_ADD_TO_FAVORITES            24
#define IDS_REMOVE_FROM_FAVORITES       25
#define IDS_ABOUT_APP                   199
#define IDS_INSTALL_TOOLS               245
#define IDS_CANCEL_TOOLS_INSTALL        246
#define IDS_VIEW_SIDEBAR                339
#define IDS_VIEW_INVENTORY              340
#define IDS_CAPTURE_MOVIE               520
#define IDS_STOP_MOVIE_CAPTURE          521
#define IDS_TEAM_POWER_ON               41356
#define IDS_TEAM_RESUME                 41357
#define IDS_TEAM_POWER_ON_KEY           41793
#define IDS_TEAM_RESUME_KEY             41794

// The about box (its id and control ids are shared with the rest of the system).
#define IDD_ABOUT                       118
#define IDC_ABOUT_ICON                  1026
#define IDC_ABOUT_FRAME                 1125

// Strings. The application library's strings, linked into the same module, lie at 61000.
#define IDS_APP_TITLE                   61500
#define IDS_APP_VERSION                 61501

// Version of the program, also printed by -T as "major.minor.patch build-N".
#define ZOLT_VERSION_MAJOR              6
#define ZOLT_VERSION_MINOR              0
#define ZOLT_VERSION_PATCH              0
#define ZOLT_VERSION_BUILD              45731
#define ZOLT_VERSION_TEXT               "6.0.0 build-45731"

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

// Strings of sessions, saved tabs and completion reports. IDS_SAVE_SETTINGS_FAILED stands for
// the application library's general "saving the settings failed" template.
#define IDS_SESSION_VMS_RUNNING         221
#define IDS_ENABLE_ALL_HINTS            262
#define IDS_VM_BUSY_CLOSE               343
#define IDS_HOTFIX_REQUEST_NAME         1148
#define IDS_HOME_TAB_TITLE              40231
#define IDS_HOST_SETTINGS_CHANGED       40710
#define IDS_PREFS_CHANGED               40712
#define IDS_SAVE_PREFS_FAILED           40713
#define IDS_OPERATION_FAILED            41881
#define IDS_SAVE_SETTINGS_FAILED        61502

// The settings windows: the refusal while another client submits, and their titles.
#define IDS_SETTINGS_SUBMISSION_PENDING 235
#define IDS_PREFERENCES_TITLE           248
#define IDS_HOST_SETTINGS_TITLE         250

// Toolbar-only commands of the command bar.
#define IDM_TB_MINIMIZE                 41884
#define IDM_TB_QUICK_SWITCH             41885
#define IDM_TB_FULL_SCREEN              41886
#define IDM_TB_LEAVE_QUICK_SWITCH       41908

// Toolbar button texts.
#define IDS_TB_POWER_OFF                41920
#define IDS_TB_POWER_ON                 41921
#define IDS_TB_RESET                    41922
#define IDS_TB_SUSPEND                  41923
#define IDS_TB_ZEPHRO_PREVIEW           41924
#define IDS_TB_ZEPHRO_POLICIES          41942
#define IDS_TB_ZEPHRO_PACKAGE_SETTINGS  41943
#define IDS_TB_ZEPHRO_NEW_PACKAGE       41944
#define IDS_TB_ZEPHRO_NEW_PORTABLE_PACKAGE 41945
#define IDS_TB_SNAPSHOT_TAKE            41951
#define IDS_TB_SNAPSHOT_REVERT          41952
#define IDS_TB_SNAPSHOT_MANAGER         41953
#define IDS_TB_SIDEBAR                  41960
#define IDS_TB_QUICK_SWITCH             41961
#define IDS_TB_FULL_SCREEN              41962
#define IDS_TB_SUMMARY                  41963
#define IDS_TB_APPLIANCE                41964
#define IDS_TB_CONSOLE                  41965

// Toolbar tooltips (the power buttons' are the strings of their command ids).
#define IDS_TIP_POWER_OFF               40019
#define IDS_TIP_SUSPEND                 40020
#define IDS_TIP_RESET                   40021
#define IDS_TIP_POWER_ON                40062
#define IDS_TIP_TEAM_POWER_OFF          41932
#define IDS_TIP_TEAM_SUSPEND            41933
#define IDS_TIP_TEAM_RESET              41934
#define IDS_TIP_TEAM_POWER_ON           41935
#define IDS_TIP_SIDEBAR_REMOTE          471
#define IDS_TIP_SIDEBAR                 473
#define IDS_TIP_QUICK_SWITCH            41926
#define IDS_TIP_LEAVE_QUICK_SWITCH      41927
#define IDS_TIP_FULL_SCREEN             41928
#define IDS_TIP_SUMMARY                 41929
#define IDS_TIP_APPLIANCE               41930
#define IDS_TIP_CONSOLE                 41931
#define IDS_TIP_ZEPHRO_PREVIEW          41910
#define IDS_TIP_ZEPHRO_NEW_PACKAGE      41938
#define IDS_TIP_ZEPHRO_NEW_PORTABLE_PACKAGE 41939
#define IDS_TIP_ZEPHRO_POLICIES         41940
#define IDS_TIP_ZEPHRO_PACKAGE_SETTINGS 41941
#define IDS_TIP_MINIMIZE                41946
#define IDS_TIP_EXIT                    41947
#define IDS_TIP_SNAPSHOT_TAKE           41948
#define IDS_TIP_SNAPSHOT_REVERT         41949
#define IDS_TIP_SNAPSHOT_MANAGER        41950

// The frame: the system menu's window-controls item and the title's host part.
#define IDM_SYS_TOGGLE_CHROME           0xC340
#define IDS_SHOW_CHROME                 238
#define IDS_HIDE_CHROME                 239
#define IDS_LOCAL_HOST                  270
#define IDS_DISCONNECTED                17

// The status pages: page templates, the screenshot window, the label band and the link icons.
#define IDD_STATUS_VM                   179
#define IDD_STATUS_NONE                 182
#define IDD_SCREENSHOT                  139
#define IDB_STATUS_BAND                 125

// Texts of the machine page.
#define IDS_POWERED_OFF                 8
#define IDS_POWERED_ON                  9
#define IDS_SUSPENDED                   10
#define IDS_CONSOLE_FAILED              21
#define IDS_CONSOLE_CONNECTING          22
#define IDS_NOTES_INVITATION            14
#define IDS_SCREENSHOT_TITLE            220
#define IDS_NOTES_CAPTION               40335
#define IDS_NO_SCREENSHOT               40689
#define IDS_REMOTE_DISPLAY_ONE_USER     41897
#define IDS_REMOTE_DISPLAY_USERS        41898
#define IDS_HARDWARE_VERSION            61520
// Opening, creating and powering machines.
#define IDS_NEW_VM_FAILED               28
#define IDS_OPEN_VMX_FILTER             224
#define IDS_TOO_MANY_OPENED_OBJS        263
#define IDS_INTERACTIVE_LOGIN_HINT      40238
#define IDS_OPEN_FILE_FILTER_ZEPHRO     40719
#define IDS_OPEN_FILE_FILTER            40720
#define IDS_OPEN_VM_FAILED              41879
#define IDS_NEW_MVMT_FAILED             42053
// The single snapshot's questions (ids of their commands).
#define IDS_SNAPSHOT_REVERT_QUESTION    40051
#define IDS_SNAPSHOT_SAVE_QUESTION      40059
#define IDS_SNAPSHOT_REMOVE_QUESTION    40067
// Capturing the screen and movies.
#define IDS_CAPTURE_SCREEN_FAILED       36
#define IDS_CAPTURE_MOVE_FAILED         39
#define IDS_BITMAP_FILTER               253
#define IDS_MOVIE_FILTER                516
#define IDS_MOVIE_QUALITY_HIGH          517
#define IDS_MOVIE_QUALITY_MEDIUM        518
#define IDS_MOVIE_QUALITY_LOW           519
#define IDS_MOVIE_CAPTURE_UNAVAILABLE   608
#define IDS_FILE_NAME_INVALID           41891
#define IDD_MOVIE_OPTIONS               1600
#define IDC_MOVIE_QUALITY_LABEL         1601
#define IDC_MOVIE_QUALITY               1602
// The tip-of-the-day dialog.
#define IDD_TIPS                        154
#define IDC_TIP_HEADING                 1053
#define IDC_TIP_TEXT                    1054
#define IDC_TIP_NEXT                    1055
#define IDC_TIP_ICON                    1056
#define IDC_TIP_STARTUP                 1057

// The side bar and the favourites list.
#define IDS_NAVBAR_FAVORITES            2
#define IDS_NAVBAR_INVENTORY            19
#define IDS_FAVORITES_UPDATE_FAILED     35
#define IDS_REMOVE_FAVORITE_QUESTION    237
#define IDB_NAVBAR_CLOSE                11200
#define IDC_NAVBAR_CLOSE                10001
// The home tab's pages.
#define IDD_STATUS_HOME                 177
#define IDD_STATUS_HOME_DESKMOOR        178
#define IDS_HOME_INTRO                  18
#define IDS_CONSOLE_TITLE               267
#define IDS_HOME_CONNECTED              40216
#define IDS_HOME_INTRO_ZEPHRO           40286
#define IDS_HOME_INTRO_DESKMOOR         41992
// The about page and the about box's texts.
#define IDD_STATUS_ABOUT                211
#define IDS_ABOUT_TITLE                 200
#define IDS_ZEPHRO_EDITION              40321
#define IDS_MEMORY_MB                   40343
#define IDD_STATUS_NOCNX                180
#define IDD_STATUS_HOME_ZEPHRO          193
#define IDS_DISCONNECTED_FROM           269
#define IDS_HOME_INTRO_ZEPHRO_EE        40285

// The open-machine dialog of a session against a host.
#define IDD_OPEN_REMOTE                 146
#define IDC_OPEN_REMOTE_LIST            1035
#define IDC_OPEN_REMOTE_EMPTY           1054
#define IDC_OPEN_REMOTE_BROWSE          1058
#define IDC_OPEN_REMOTE_TEXT1           1083
#define IDC_OPEN_REMOTE_TEXT2           1084
#define IDS_OPEN_REMOTE_SELECT_ONE      40203
#define IDS_OPEN_REMOTE_BROWSE_TITLE    40211
#define IDS_OPEN_REMOTE_SELECT          40233
#define IDS_OPEN_REMOTE_BROWSE_HINT     40234
#define IDS_OPEN_REMOTE_NO_BROWSE       40240

// The snapshot manager, its grid and details pane, the take dialog.
#define IDD_SNAPSHOT_DETAILS            485
#define IDD_SNAPSHOT_MGR                486
#define IDD_SNAPSHOT_GRID               487
#define IDD_SNAPSHOT_TAKE               488
#define IDR_SNAPSHOT_MENU_ONE           491
#define IDR_SNAPSHOT_MENU_SEVERAL       492
#define IDR_SNAPSHOT_MENU_CURRENT       493
#define IDR_SNAPSHOT_MENU_RECORDING     494
#define IDC_SNAPSHOT_DELETE             1223
#define IDC_SNAPSHOT_GOTO               1226
#define IDC_SNAPSHOT_NAME               1227
#define IDC_SNAPSHOT_DESCRIPTION        1228
#define IDC_SNAPSHOT_STATUS             1229
#define IDC_SNAPSHOT_SCREENSHOT_FRAME   1230
#define IDC_SNAPSHOT_GROUP              1231
#define IDC_SNAPSHOT_NAME_LABEL         1232
#define IDC_SNAPSHOT_DESCRIPTION_LABEL  1233
#define IDC_SNAPSHOT_CLONE              1234
#define IDC_SNAPSHOT_DELETE_CHILDREN    1235
#define IDC_SNAPSHOT_SELECT_ALL         1236
#define IDC_SNAPSHOT_GRID_KEYS          1239
#define IDC_SNAPSHOT_TAKE               1250
#define IDC_SNAPSHOT_NO_SCREENSHOT      1251
#define IDC_SNAPSHOT_SCREENSHOT         1252
#define IDI_SNAPSHOT_MACHINE            12049
#define IDI_SNAPSHOT_UNUSED             12040
#define IDI_SNAPSHOT_OFF                12045
#define IDI_SNAPSHOT_SUSPENDED          12047
#define IDI_SNAPSHOT_ON                 12048
#define IDI_SNAPSHOT_YAH                12050
#define IDI_SNAPSHOT_YAH_ON             12051
#define IDI_SNAPSHOT_YAH_SUSPENDED      12052
#define IDI_SNAPSHOT_CLONED             12046
#define IDI_SNAPSHOT_RECORDING          12053
#define IDI_SNAPSHOT_LINE               12041
#define IDI_SNAPSHOT_VERTICAL           12042
#define IDI_SNAPSHOT_CORNER             12043
#define IDI_SNAPSHOT_TEE                12044
#define IDS_SNAPSHOT_YAH_LABEL          40553
#define IDS_SNAPSHOT_MGR_TITLE          40554
#define IDS_SNAPSHOT_DETAILS            40555
#define IDS_SNAPSHOT_CREATED            40556
#define IDS_SNAPSHOT_YAH_SELECTED       40559
#define IDS_SNAPSHOT_RECORDING_CREATED  40560
#define IDS_SNAPSHOT_TAKE_TITLE         41874
#define IDS_SNAPSHOT_RECORD_TITLE       41875

// Connecting to a host (the login dialog) and the update check.
#define IDS_CONNECT_TITLE               20
#define IDD_LOGIN                       147
#define IDD_WEB_CHECK                   176
#define IDD_LOGIN_REMOTE_ONLY           181
#define IDC_LOGIN_HOST_LABEL            1031
#define IDC_LOGIN_USER                  1034
#define IDC_LOGIN_PASSWORD              1035
#define IDC_LOGIN_LOCAL                 1043
#define IDC_LOGIN_REMOTE                1044
#define IDC_LOGIN_HOST                  1045
#define IDC_LOGIN_USER_LABEL            1046
#define IDC_LOGIN_PASSWORD_LABEL        1047
#define IDC_WEBCHECK_ICON               1059
#define IDC_WEBCHECK_MESSAGE            1060
#define IDC_WEBCHECK_LAST_CHECK         1061
#define IDC_WEBCHECK_PERIOD             1062
#define IDC_WEBCHECK_VISIT              1063
#define IDC_LOGIN_BANNER                1064
#define IDC_LOGIN_ERROR                 1065
#define IDC_WEBCHECK_INFO               1078
#define IDS_CONNECT_FAILED              40202
#define IDS_WEBUPDATE_NONE              40223
#define IDS_WEBUPDATE_ERROR             40224
#define IDS_WEBUPDATE_AVAILABLE         40225
#define IDS_WEBUPDATE_MANUAL            40226
#define IDS_WEBUPDATE_DAILY             40227
#define IDS_WEBUPDATE_WEEKLY            40228
#define IDS_WEBUPDATE_MONTHLY           40229
#define IDS_WEBUPDATE_CUSTOM            40230
#define IDS_SET_VM_USER_FAILED          40232
#define IDS_WEBUPDATE_ERROR_PROXY       41893

// The clone wizard: its five pages, their controls, bitmaps and strings.
#define IDD_CLONEWZ_WELCOME             504
#define IDD_CLONEWZ_TYPE                505
#define IDD_CLONEWZ_NAME                506
#define IDD_CLONEWZ_PROGRESS            507
#define IDD_CLONEWZ_SOURCE              4124
#define IDB_CLONEWZ_WATERMARK           508
#define IDB_CLONEWZ_HEADER              509
#define IDB_CLONEWZ_WATERMARK_ZEPHRO    41984
#define IDC_CLONEWZ_WELCOME_TITLE       292
#define IDC_CLONEWZ_WELCOME_TEXT        293
#define IDC_CLONEWZ_SOURCE_CURRENT      4125
#define IDC_CLONEWZ_SOURCE_SNAPSHOT     4126
#define IDC_CLONEWZ_SNAPSHOT_LIST       4127
#define IDC_CLONEWZ_SOURCE_NOTE         4128
#define IDC_CLONEWZ_SOURCE_MESSAGE      4130
#define IDC_CLONEWZ_TYPE_LINKED         1184
#define IDC_CLONEWZ_TYPE_FULL           1185
#define IDC_CLONEWZ_TYPE_LINKED_TEXT    41996
#define IDC_CLONEWZ_TYPE_FULL_TEXT      41997
#define IDC_CLONEWZ_TYPE_NOTE           1198
#define IDC_CLONEWZ_TYPE_REASONS        1201
#define IDC_CLONEWZ_TYPE_WARNING        1202
#define IDC_CLONEWZ_NAME                1186
#define IDC_CLONEWZ_LOCATION            1187
#define IDC_CLONEWZ_BROWSE              1188
#define IDC_CLONEWZ_MARK_PREPARE        1189
#define IDC_CLONEWZ_MARK_SNAPSHOT       1190
#define IDC_CLONEWZ_MARK_CREATE         1191
#define IDC_CLONEWZ_MARK_DONE           1192
#define IDC_CLONEWZ_STEP_PREPARE        1193
#define IDC_CLONEWZ_STEP_SNAPSHOT       1194
#define IDC_CLONEWZ_STEP_CREATE         1195
#define IDC_CLONEWZ_STEP_DONE           1196
#define IDC_CLONEWZ_FAILED_ICON         1197
#define IDC_CLONEWZ_NEXT_STEPS_FIRST    1270
#define IDS_CLONEWZ_TYPE_TITLE          40680
#define IDS_CLONEWZ_TYPE_SUBTITLE       40681
#define IDS_CLONEWZ_NAME_TITLE          40682
#define IDS_CLONEWZ_NAME_SUBTITLE       40683
#define IDS_CLONEWZ_PROGRESS_TITLE      40684
#define IDS_CLONEWZ_PROGRESS_SUBTITLE   40685
#define IDS_CLONEWZ_LINKED_NOTE         40686
#define IDS_CLONEWZ_FULL_NOTE           40687
#define IDS_CLONEWZ_SOURCE_TITLE        40690
#define IDS_CLONEWZ_SOURCE_SUBTITLE     40691
#define IDS_CLONEWZ_NO_SNAPSHOT         40692
#define IDS_CLONEWZ_TEMPLATE_NO_SNAPSHOT 40693
#define IDS_CLONEWZ_DEFAULT_NAME        40695
#define IDS_CLONEWZ_KIND_LINKED         40696
#define IDS_CLONEWZ_KIND_FULL           40697
#define IDS_CLONEWZ_ERROR_CAPTION       40705
#define IDS_CLONEWZ_BROWSE_TITLE        40706
#define IDS_CLONEWZ_FAILED              41365
#define IDS_CLONEWZ_CANCELLED           41366
#define IDS_CLONEWZ_CURRENT_NOTE        61760

// The machine commands (VM and Zephro menus): the policies' publish notice.
#define IDS_PUBLISH_NOTICE              42101
#define IDS_PUBLISH_CAPTION             42102

// Removable-device, USB and recent-snapshot menus.
#define IDS_DEVICE_SAVE_FAILED          236
#define IDS_DEVICE_CONNECT              240
#define IDS_DEVICE_DISCONNECT           241
#define IDS_DEVICE_EDIT                 242
#define IDS_USB_NONE                    243
#define IDS_USB_PORT                    244
#define IDS_USB_PENDING                 252
#define IDS_USB_DEVICES                 41867

// The team page: template, captions, values, labels, links, notes, topology; its strings and icons.
#define IDD_STATUS_TEAM                 4100
#define IDS_POWER_MIXED                 49
#define IDS_TEAM_COLUMN_VM              4120
#define IDS_TEAM_COLUMN_GUEST           4121
#define IDS_TEAM_NO_CURRENT_VM          41352
#define IDS_TEAM_NOTES_INVITATION       41353
#define IDS_TEAM_MEMBER_MISSING         41354
#define IDS_TEAM_MEMBER_COUNT           41355
#define IDI_TEAM_CLONE_OFF              11802
#define IDI_TEAM_CLONE_ON               11803
#define IDI_TEAM_CLONE_SUSPENDED        11804
#define IDI_TEAM_LEGACY_OFF             11813
#define IDI_TEAM_LEGACY_ON              11814
#define IDI_TEAM_LEGACY_SUSPENDED       11815
#define IDI_TEAM_NORMAL_OFF             11842
#define IDI_TEAM_NORMAL_ON              11843
#define IDI_TEAM_NORMAL_SUSPENDED       11844
#define IDI_TEAM_LAN                    11810
#define IDI_GUEST_WINDOWS               11850
#define IDI_GUEST_LINUX                 11851
#define IDI_GUEST_SOLARIS               11852
#define IDI_GUEST_BSD                   11853
#define IDI_GUEST_DOS                   11854
#define IDI_GUEST_OTHER                 11855
#define IDI_TEAM_EDIT                   12114
#define IDI_TEAM_EDIT_DISABLED          12115
