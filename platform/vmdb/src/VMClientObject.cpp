#include "VMClientObject.h"

#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

#include <cctype>

namespace vmdb {

const char VMClientObject::kLocalHostPath[] = "/host2/#0000/";

namespace {

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

HRESULT VMClientObject::Refused(const ConnectionError &e) const
{
   return Fail(e.Code(), __uuidof(IVMClient), e.what());
}

// Runs a connection operation: its refusals become the HRESULT and error text of the call.
#define VMCLIENT_CONNECTION_TRY                                                                       \
   if (!ctx_) {                                                                                       \
      return NotInitialised();                                                                        \
   }                                                                                                  \
   try {
#define VMCLIENT_CONNECTION_CATCH                                                                     \
   }                                                                                                  \
   catch (const ConnectionError &e) {                                                                 \
      return Refused(e);                                                                              \
   }                                                                                                  \
   catch (...) {                                                                                      \
      return FailFromException(__uuidof(IVMClient), __func__);                                        \
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
   connections_.reset(new HostConnections(*ctx_, kLocalHostPath));
   return S_OK;
   VMDB_COM_CATCH(IVMClient)
}

void VMClientObject::CreateLocalHost()
{
   ctx_->OpenBatch();
   try {
      ctx_->ChangePath(kLocalHostPath);
      ctx_->Write("setup/product/name", HostConnections::kProductName);
      ctx_->Write("setup/product/versionDotted", HostConnections::kProductVersion);
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
   return OutText(path, connections_->CurrentHost());
}

HRESULT VMClientObject::raw_GetLocalHostPath(BSTR *path)
{
   if (!ctx_) {
      return NotInitialised();
   }
   return OutText(path, kLocalHostPath);
}

HRESULT VMClientObject::raw_Connect(BSTR dest, BSTR user, BSTR password, BSTR *cnxPath)
{
   if (!cnxPath) {
      return E_POINTER;
   }
   *cnxPath = nullptr;
   // The password's copy is wiped once the host has answered, refused or not.
   std::string secret = Utf8FromBstr(password);
   struct Wipe {
      std::string &text;
      ~Wipe() { SecureZeroMemory(&text[0], text.size()); }
   } wipe{secret};
   VMCLIENT_CONNECTION_TRY
   return OutText(cnxPath, connections_->Connect(Utf8FromBstr(dest), Utf8FromBstr(user), secret));
   VMCLIENT_CONNECTION_CATCH
}

HRESULT VMClientObject::raw_GetConnectionHostCount(BSTR cnxPath, long *count)
{
   if (!count) {
      return E_POINTER;
   }
   *count = 0;
   VMCLIENT_CONNECTION_TRY
   *count = connections_->HostCount(Utf8FromBstr(cnxPath));
   return S_OK;
   VMCLIENT_CONNECTION_CATCH
}

HRESULT VMClientObject::raw_GetConnectionHostPath(BSTR cnxPath, long index, BSTR *hostPath)
{
   if (!hostPath) {
      return E_POINTER;
   }
   *hostPath = nullptr;
   VMCLIENT_CONNECTION_TRY
   return OutText(hostPath, connections_->HostPath(Utf8FromBstr(cnxPath), index));
   VMCLIENT_CONNECTION_CATCH
}

HRESULT VMClientObject::raw_Attach(BSTR cnxPath, BSTR hostPath)
{
   VMCLIENT_CONNECTION_TRY
   connections_->Attach(Utf8FromBstr(cnxPath), Utf8FromBstr(hostPath));
   return S_OK;
   VMCLIENT_CONNECTION_CATCH
}

HRESULT VMClientObject::raw_ReleaseHost(BSTR hostPath)
{
   VMCLIENT_CONNECTION_TRY
   connections_->Release(Utf8FromBstr(hostPath));
   return S_OK;
   VMCLIENT_CONNECTION_CATCH
}

HRESULT VMClientObject::raw_Disconnect(BSTR cnxPath)
{
   VMCLIENT_CONNECTION_TRY
   connections_->Disconnect(Utf8FromBstr(cnxPath));
   return S_OK;
   VMCLIENT_CONNECTION_CATCH
}

HRESULT VMClientObject::raw_ConnectMks(BSTR vmPath)
{
   if (!ctx_) {
      return NotInitialised();
   }
   const std::string given = Utf8FromBstr(vmPath);
   std::string path = given;
   if (!path.empty() && path.back() != '/') {
      path += '/';
   }
   VMDB_COM_TRY
   // Only an element of "/vm/#" that the host has filled in is a machine.
   if (path.compare(0, 5, "/vm/#") != 0 || path.find('/', 5) != path.size() - 1 || !ctx_->Exists(path + "cfgFile")) {
      return Fail(E_INVALIDARG, __uuidof(IVMClient), "The virtual machine \"" + given + "\" is not open.");
   }
   std::string state = ctx_->Read(path + "vmx/execState/val");
   if (state != "poweredOn") {
      std::string name = ctx_->Read(path + "vmx/cfgState/val/displayName");
      if (name.empty()) {
         name = ctx_->Read(path + "cfgFile");
      }
      return Fail(E_FAIL, __uuidof(IVMClient), "The virtual machine \"" + name + "\" is not powered on.");
   }
   ctx_->Write(path + "mks/connected", "1");
   return S_OK;
   VMDB_COM_CATCH(IVMClient)
}

}  // namespace vmdb
