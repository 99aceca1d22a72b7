#include "VMClientObject.h"

#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

#include <cctype>

namespace vmdb {

const char VMClientObject::kLocalHostPath[] = "/host2/#0000/";

namespace {

const char kProductName[] = "Tremory Deskmoor";
const char kProductVersion[] = "1.0.0";

HRESULT OutText(BSTR *out, const std::string &text)
{
   if (!out) {
      return E_POINTER;
   }
   *out = BstrFromUtf8(text);
   return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT VMClientObject::Create(REFIID iid, void **ppv)
{
   return Hand(new VMClientObject, iid, ppv);
}

HRESULT VMClientObject::NotInitialised() const
{
   return Fail(E_UNEXPECTED, __uuidof(IVMClient), "VMClient: not initialised");
}

HRESULT VMClientObject::NotYet(const char *method) const
{
   return Fail(E_NOTIMPL, __uuidof(IVMClient), std::string("VMClient::") + method + ": connections to other hosts are not available");
}

HRESULT VMClientObject::raw_Init(INT_PTR rawCtx, INT_PTR rawPoll, VARIANT_BOOL pollOption)
{
   (void)rawPoll;
   if (ctx_) {
      return Fail(E_UNEXPECTED, __uuidof(IVMClient), "VMClient::Init: already initialised");
   }
   if (!rawCtx) {
      return Fail(E_INVALIDARG, __uuidof(IVMClient), "VMClient::Init: no database context");
   }
   VMDB_COM_TRY
   // A context of our own: the caller's may go away before we do.
   ctx_ = vmdbstore::ContextFromRawHandle(rawCtx)->GetStore().NewContext();
   pollOption_ = pollOption != VARIANT_FALSE;
   CreateLocalHost();
   return S_OK;
   VMDB_COM_CATCH(IVMClient)
}

void VMClientObject::CreateLocalHost()
{
   ctx_->OpenBatch();
   try {
      ctx_->ChangePath(kLocalHostPath);
      ctx_->Write("setup/product/name", kProductName);
      ctx_->Write("setup/product/versionDotted", kProductVersion);
      for (const char *dir : {"vms/registeredvms", "util/vm/cmd"}) {
         if (!ctx_->Exists(dir)) {
            ctx_->Write(dir, "");
         }
      }
   } catch (...) {
      ctx_->CloseBatch();
      throw;
   }
   ctx_->CloseBatch();
}

std::vector<std::string> VMClientObject::SplitAssignments(const std::string &text, std::vector<std::string> &others)
{
   // An option is " -<letter> " at the start or after a blank; its argument runs to the next one,
   // so a value may hold blanks.
   auto isOptionAt = [&text](size_t pos) {
      return pos + 2 < text.size() && text[pos] == '-' && std::isalpha(static_cast<unsigned char>(text[pos + 1])) &&
             text[pos + 2] == ' ' && (pos == 0 || text[pos - 1] == ' ');
   };
   std::vector<std::string> assignments;
   size_t pos = 0;
   while (pos < text.size()) {
      while (pos < text.size() && text[pos] == ' ') {
         ++pos;
      }
      if (pos >= text.size()) {
         break;
      }
      char option = isOptionAt(pos) ? text[pos + 1] : 0;
      size_t start = option ? pos + 3 : pos;
      size_t end = start;
      while (end < text.size() && !isOptionAt(end)) {
         ++end;
      }
      size_t last = end;
      while (last > start && text[last - 1] == ' ') {
         --last;
      }
      std::string argument = text.substr(start, last - start);
      if (option == 's') {
         assignments.push_back(argument);
      } else {
         others.push_back(option ? std::string("-") + option + " " + argument : argument);
      }
      pos = end;
   }
   return assignments;
}

HRESULT VMClientObject::raw_SetVariables(BSTR text)
{
   if (!ctx_) {
      return NotInitialised();
   }
   VMDB_COM_TRY
   std::vector<std::string> others;
   for (const std::string &assignment : SplitAssignments(Utf8FromBstr(text), others)) {
      if (!Config_SetAssignment(assignment.c_str())) {
         Warning("VMClient: ignoring the variable \"%s\": it is not NAME=VALUE\n", assignment.c_str());
      }
   }
   return S_OK;
   VMDB_COM_CATCH(IVMClient)
}

HRESULT VMClientObject::raw_GetHostPath(BSTR *path)
{
   if (!ctx_) {
      return NotInitialised();
   }
   return OutText(path, kLocalHostPath);
}

HRESULT VMClientObject::raw_GetLocalHostPath(BSTR *path)
{
   if (!ctx_) {
      return NotInitialised();
   }
   return OutText(path, kLocalHostPath);
}

HRESULT VMClientObject::raw_Connect(BSTR, BSTR, BSTR, BSTR *cnxPath)
{
   if (cnxPath) {
      *cnxPath = nullptr;
   }
   return ctx_ ? NotYet("Connect") : NotInitialised();
}

HRESULT VMClientObject::raw_GetConnectionHostCount(BSTR, long *count)
{
   if (count) {
      *count = 0;
   }
   return ctx_ ? NotYet("GetConnectionHostCount") : NotInitialised();
}

HRESULT VMClientObject::raw_GetConnectionHostPath(BSTR, long, BSTR *hostPath)
{
   if (hostPath) {
      *hostPath = nullptr;
   }
   return ctx_ ? NotYet("GetConnectionHostPath") : NotInitialised();
}

HRESULT VMClientObject::raw_Attach(BSTR, BSTR)
{
   return ctx_ ? NotYet("Attach") : NotInitialised();
}

HRESULT VMClientObject::raw_ReleaseHost(BSTR)
{
   return ctx_ ? NotYet("ReleaseHost") : NotInitialised();
}

HRESULT VMClientObject::raw_Disconnect(BSTR)
{
   return ctx_ ? NotYet("Disconnect") : NotInitialised();
}

}  // namespace vmdb
