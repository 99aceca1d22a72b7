#include "PollObject.h"

#include "tremorybase/Poll.h"

namespace vmdb {

HRESULT PollObject::Create(REFIID iid, void **ppv)
{
   return Hand(new PollObject, iid, ppv);
}

HRESULT PollObject::raw_GetRawHandle(INT_PTR *handle)
{
   if (!handle) {
      return E_POINTER;
   }
   *handle = reinterpret_cast<INT_PTR>(&Poll_Step);
   return S_OK;
}

HRESULT PollObject::raw_Shutdown()
{
   Poll_Reset();
   return S_OK;
}

}  // namespace vmdb
