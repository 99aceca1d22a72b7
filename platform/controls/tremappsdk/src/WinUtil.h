// Small window helpers of the controls.
#pragma once

#include <windows.h>

namespace tremappsdk {

inline int XParam(LPARAM lParam)
{
   return static_cast<short>(LOWORD(lParam));
}

inline int YParam(LPARAM lParam)
{
   return static_cast<short>(HIWORD(lParam));
}

}  // namespace tremappsdk
