// "VmdbQuery" and its two error objects.
#pragma once

#include "ComSupport.h"
#include "vmdb/VmdbQuery.h"

#include <string>
#include <vector>

namespace vmdb {

class ParseErrorObject : public ComObject<IVmdbParseError> {
public:
   static HRESULT Create(REFIID iid, void **ppv);
   HRESULT __stdcall raw_GetText(BSTR *text) override;
   HRESULT __stdcall raw_GetPosition(long *position) override;
   HRESULT __stdcall raw_SetError(BSTR text, long position) override;

private:
   std::string text_;
   long position_ = -1;
};

class ExecuteErrorObject : public ComObject<IVmdbExecuteError> {
public:
   static HRESULT Create(REFIID iid, void **ppv);
   HRESULT __stdcall raw_GetText(BSTR *text) override;
   HRESULT __stdcall raw_SetError(BSTR text) override;

private:
   std::string text_;
};

class QueryObject : public ComObject<IVmdbQuery> {
public:
   static HRESULT Create(REFIID iid, void **ppv);
   HRESULT __stdcall raw_Parse(BSTR text, IVmdbParseError *error) override;
   HRESULT __stdcall raw_Execute(IVmdbContext *ctx, IVmdbExecuteError *error) override;
   HRESULT __stdcall raw_FetchNext(BSTR *path) override;

private:
   bool parsed_ = false;
   Query query_;
   std::vector<std::string> rows_;
   size_t next_ = 0;
};

}  // namespace vmdb
