// "VMClient": the machine client. It owns the local host's subtree of the database.
#pragma once

#include "ComSupport.h"
#include "HostConnections.h"

#include "vmdb/ClientInterfaces.h"
#include "vmdb/Store.h"

#include <memory>
#include <string>
#include <vector>

namespace vmdb {

class VMClientObject : public ComObject<IVMClient> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_Init(INT_PTR rawCtx, INT_PTR rawPoll, VARIANT_BOOL pollOption) override;
   HRESULT __stdcall raw_SetVariables(BSTR text) override;
   HRESULT __stdcall raw_GetHostPath(BSTR *path) override;
   HRESULT __stdcall raw_GetLocalHostPath(BSTR *path) override;
   HRESULT __stdcall raw_Connect(BSTR dest, BSTR user, BSTR password, BSTR *cnxPath) override;
   HRESULT __stdcall raw_GetConnectionHostCount(BSTR cnxPath, long *count) override;
   HRESULT __stdcall raw_GetConnectionHostPath(BSTR cnxPath, long index, BSTR *hostPath) override;
   HRESULT __stdcall raw_Attach(BSTR cnxPath, BSTR hostPath) override;
   HRESULT __stdcall raw_ReleaseHost(BSTR hostPath) override;
   HRESULT __stdcall raw_Disconnect(BSTR cnxPath) override;
   HRESULT __stdcall raw_ConnectMks(BSTR vmPath) override;

   static const char kLocalHostPath[];

   // The "NAME=VALUE" arguments of every "-s" option in an accumulated option text
   // (" -s A=1 -s B=two words"); `others` gets the options that are not "-s".
   static std::vector<std::string> SplitAssignments(const std::string &text, std::vector<std::string> &others);

private:
   HRESULT NotInitialised() const;
   HRESULT Refused(const ConnectionError &e) const;
   void CreateLocalHost();

   std::unique_ptr<vmdbstore::Context> ctx_;
   std::unique_ptr<HostConnections> connections_;
   bool pollOption_ = false;
};

}  // namespace vmdb
