// Resource ids of the new-team wizard (teamwz.rc).
#pragma once

#define IDD_TEAMWZ_WELCOME              524
#define IDD_TEAMWZ_NAME                 525
#define IDD_TEAMWZ_ADD_VMS              526
#define IDD_TEAMWZ_VM_LIST              609
#define IDD_TEAMWZ_ADD_LANS             610
#define IDD_TEAMWZ_LAN_LIST             611
#define IDD_TEAMWZ_SUMMARY              612
#define IDR_TEAMWZ_ADD_VM_MENU          529

#define IDC_TEAMWZ_WELCOME_TITLE        292
#define IDC_TEAMWZ_WELCOME_TEXT         293
#define IDC_TEAMWZ_NAME                 1186
#define IDC_TEAMWZ_LOCATION             1187
#define IDC_TEAMWZ_BROWSE               1188
#define IDC_TEAMWZ_ADD_VMS_YES          1218
#define IDC_TEAMWZ_ADD_VMS_NO           1219
#define IDC_TEAMWZ_VM_LIST              41801
#define IDC_TEAMWZ_VM_ADD               41802
#define IDC_TEAMWZ_VM_REMOVE            41803
#define IDC_TEAMWZ_ADD_LANS_YES         41820
#define IDC_TEAMWZ_ADD_LANS_NO          41821
#define IDC_TEAMWZ_LAN_LIST             41840
#define IDC_TEAMWZ_LAN_ADD              41841
#define IDC_TEAMWZ_LAN_REMOVE           41842
#define IDC_TEAMWZ_SUMMARY_LIST         41860
#define IDC_TEAMWZ_SUMMARY_TEXT         41863

#define IDM_TEAMWZ_ADD_NEW_VM           41407
#define IDM_TEAMWZ_ADD_EXISTING_VM      41408
#define IDM_TEAMWZ_ADD_CLONE            40714

#define IDS_TEAMWZ_NEW_TEAM             41329
#define IDS_TEAMWZ_NAME_AND_PATH        41362
#define IDS_TEAMWZ_ADD_EXISTING_TITLE   41804
#define IDS_TEAMWZ_ADD_CLONE_TITLE      41805
#define IDS_TEAMWZ_VMX_FILTER           41806
#define IDS_TEAMWZ_LAN_SUMMARY          41843
#define IDS_TEAMWZ_COLUMN_LAN           41861
#define IDS_TEAMWZ_COLUMN_LAN_SUMMARY   41862
#define IDS_TEAMWZ_COLUMN_MEMBER_KIND   42610
#define IDS_TEAMWZ_SUMMARY_TEXT         42613
#define IDS_TEAMWZ_CLONE_FAILED         42614
#define IDS_TEAMWZ_COLUMN_NAME          42615
