#include "zoltDlgMgr.h"

#include "cui/Registry.h"

DlgMgr::~DlgMgr()
{
   if (cui::GetDlgMgr() == this) {
      cui::SetDlgMgr(nullptr);
   }
}
