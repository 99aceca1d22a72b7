// "TremappPoll": the process's poll loop as an object.
#pragma once

#include "ComSupport.h"

namespace vmdb {

class PollObject : public ComObject<ITremappPoll> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   // The handle is the address of Poll_Step: what a holder of it may call to run the loop.
   HRESULT __stdcall raw_GetRawHandle(INT_PTR *handle) override;
   HRESULT __stdcall raw_Shutdown() override;
};

}  // namespace vmdb
