// Strings of the team editing commands (teamedit.rc).
#pragma once

#define IDS_TEAM_ADD_VM_FAILED          223
#define IDS_TEAM_ADD_CLONE_TITLE        614
#define IDS_TEAM_ADD_EXISTING_TITLE     615
#define IDS_TEAM_SETTINGS_TITLE         40670
#define IDS_TEAM_CLOSED_DURING_EDIT     47100
#define IDS_TEAM_NOTHING_TO_SAVE        47101
