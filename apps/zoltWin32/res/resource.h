// Resource ids of zolt.exe. Ids that the rest of the system knows are fixed; the string ids of our
// own lie above every other string of the program.
#pragma once

// Icons: the program's own, and the one of the Zephro edition.
#define IDI_ZOLT                1
#define IDI_ZOLT_ZEPHRO         41900

// Accelerator tables: the normal one and the one used in full screen.
#define IDR_ACCEL_NORMAL        115
#define IDR_ACCEL_FULLSCREEN    41909

// Commands reached by keyboard accelerators.
#define IDM_FILE_OPEN              40009
#define IDM_EDIT_PREFERENCES       40018
#define IDM_VM_POWER_OFF           40019
#define IDM_VM_SUSPEND             40020
#define IDM_VM_RESET               40021
#define IDM_VIEW_FULL_SCREEN       40022
#define IDM_HELP_TOPICS            40033
#define IDM_FILE_NEW_VM            40043
#define IDM_VM_SETTINGS            40046
#define IDM_FILE_CLOSE             40049
#define IDM_VM_SNAPSHOT_MANAGER    40060
#define IDM_VM_POWER_ON            40062
#define IDM_VIEW_SIDEBAR           40065
#define IDM_VIEW_QUICK_SWITCH      40068
#define IDM_VM_GRAB_INPUT          40072
#define IDM_WINDOW_NEXT_TAB        40087
#define IDM_WINDOW_PREVIOUS_TAB    40088
#define IDM_HOST_SWITCH            40199
#define IDM_EDIT_CUT               40217
#define IDM_EDIT_COPY              40218
#define IDM_EDIT_PASTE             40219
#define IDM_TEAM_POWER_ON          41402
#define IDM_TEAM_POWER_OFF         41403
#define IDM_TEAM_SUSPEND           41404
#define IDM_TEAM_RESET             41405

// Strings.
#define IDS_APP_TITLE           61000
#define IDS_APP_VERSION         61001

// Version of the program, also printed by -T as "major.minor.patch build-N".
#define ZOLT_VERSION_MAJOR      1
#define ZOLT_VERSION_MINOR      0
#define ZOLT_VERSION_PATCH      0
#define ZOLT_VERSION_BUILD      1
#define ZOLT_VERSION_TEXT       "1.0.0 build-1"
