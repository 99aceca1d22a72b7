// "VMList": the machine list, bound to a database and the poll loop.
#pragma once

#include "ComSupport.h"

#include "vmdb/ClientInterfaces.h"

namespace vmdb {

class VMListObject : public ComObject<IVMList> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_Init(IVmdbDatabase *db, ITremappPoll *poll) override;
   HRESULT __stdcall raw_GetDatabase(IVmdbDatabase **db) override;

private:
   IVmdbDatabasePtr db_;
   ITremappPollPtr poll_;
};

}  // namespace vmdb
