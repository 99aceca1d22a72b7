#pragma once

#define IDD_ATL_TEST 100
#define IDC_NAME 1001
#define IDC_THROW 1002
