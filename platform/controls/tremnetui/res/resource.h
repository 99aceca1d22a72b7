// Resource ids of tremnetui.dll.
#pragma once

#define IDD_TREMNETUI_HOST 101
#define IDC_TREMNETUI_HOSTPATH 1001

#define IDS_TREMNETUI_TITLE 1
