#include "VMListObject.h"

namespace vmdb {

HRESULT VMListObject::Create(REFIID iid, void **ppv)
{
   return Hand(new VMListObject, iid, ppv);
}

HRESULT VMListObject::raw_Init(IVmdbDatabase *db, ITremappPoll *poll)
{
   if (!db) {
      return Fail(E_POINTER, __uuidof(IVMList), "VMList::Init: no database");
   }
   if (db_) {
      return Fail(E_UNEXPECTED, __uuidof(IVMList), "VMList::Init: already initialised");
   }
   db_ = db;
   poll_ = poll;
   return S_OK;
}

HRESULT VMListObject::raw_GetDatabase(IVmdbDatabase **db)
{
   if (!db) {
      return E_POINTER;
   }
   *db = db_;
   if (!*db) {
      return Fail(E_UNEXPECTED, __uuidof(IVMList), "VMList: not initialised");
   }
   (*db)->AddRef();
   return S_OK;
}

}  // namespace vmdb
