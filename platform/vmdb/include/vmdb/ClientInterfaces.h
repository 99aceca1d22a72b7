// The client objects of the state database's COM server ("VMClient", "VMList", "VMMsg"), written
// in the same wrapper style as VmdbInterfaces.h: raw_ methods return an HRESULT, the inline
// wrappers raise _com_error on failure and return the result.
//
// Register them with vmdb::RegisterClientClasses() (vmdb/ClientClasses.h), next to
// vmdb::RegisterClasses(), after CoInitialize.
#pragma once

#include "vmdb/VmdbInterfaces.h"

struct IVMClient;
struct IVMList;
struct IVMMsg;

// Creatable classes.
struct VMClient;
struct VMList;
struct VMMsg;

__CRT_UUID_DECL(IVMClient, 0x6d79755d, 0x8a8c, 0x428f, 0x96, 0xe7, 0x79, 0xb2, 0xb9, 0xde, 0x77, 0x10)
__CRT_UUID_DECL(IVMList, 0x7098c49f, 0x2e24, 0x45e2, 0xad, 0x16, 0x5e, 0x23, 0xfe, 0x23, 0x0e, 0x92)
__CRT_UUID_DECL(IVMMsg, 0xd44e001b, 0xed1b, 0x4473, 0xb1, 0x45, 0x81, 0x86, 0xa5, 0x04, 0x7f, 0xce)
__CRT_UUID_DECL(VMClient, 0xd7060374, 0xf762, 0x4bc1, 0x94, 0x95, 0xd3, 0x11, 0x84, 0x52, 0xe8, 0x2e)
__CRT_UUID_DECL(VMList, 0x20db72dc, 0x0d3f, 0x425c, 0x8d, 0x88, 0x6a, 0xd6, 0x30, 0x2e, 0xf4, 0xde)
__CRT_UUID_DECL(VMMsg, 0x8284d505, 0x2058, 0x4b59, 0xb5, 0xd8, 0x2f, 0x02, 0x53, 0xef, 0x4d, 0xe2)

_COM_SMARTPTR_TYPEDEF(IVMClient, __uuidof(IVMClient));
_COM_SMARTPTR_TYPEDEF(IVMList, __uuidof(IVMList));
_COM_SMARTPTR_TYPEDEF(IVMMsg, __uuidof(IVMMsg));

// The machine client: the local host's subtree and, later, connections to other hosts.
// Every method but Init fails with E_UNEXPECTED before Init.
struct IVMClient : IUnknown {
   // `rawCtx` is a context's GetRawHandle (the client takes its own context on that database);
   // `rawPoll` the poll object's GetRawHandle (may be 0); `pollOption` is kept and has no effect
   // on the local host. Creates the local host's subtree "/host2/#0000/": "setup/product/name",
   // "setup/product/versionDotted", "vms/registeredvms/" and the machine command queue
   // "util/vm/cmd/"; nodes already there (a preloaded database) are kept. A second Init fails.
   HRESULT Init(INT_PTR rawCtx, INT_PTR rawPoll, VARIANT_BOOL pollOption);
   // The accumulated " -s NAME=VALUE" text of the command line: each assignment becomes a
   // configuration key for this run. Other options in the text ("-E locale") are ignored; a
   // malformed assignment is logged as a warning and skipped.
   HRESULT SetVariables(_bstr_t text);
   // The host the client works with ("/host2/#0000/", the local host until attached elsewhere).
   _bstr_t GetHostPath();
   _bstr_t GetLocalHostPath();
   // Connect: a new connection node ("/db/connection/#0001/", with `dest`, `user`, `lastError`
   // "0" and its hosts). Three empty texts, or the destination "localhost", reach the local
   // host. Other destinations ("host", "host:port", "user@host:port") are refused (E_FAIL,
   // "Cannot connect to host <dest>") unless the configuration key "test.remoteHosts" lists them:
   // such a host gets a simulated host node of its own ("/host2/#0001/", `name` the host name,
   // "info/", its registered machines). A wrong user or password is refused (E_ACCESSDENIED,
   // "Incorrect user name or password."), and so are a port the host does not listen on, a
   // malformed destination and a host that does not answer within the connect timeout, each with
   // its own text (the keys: platform/vmdb/src/RemoteHosts.h). The password is never stored. A
   // connection whose `lastError` someone sets to a non-zero value counts as lost to the program.
   _bstr_t Connect(_bstr_t dest, _bstr_t user, _bstr_t password);
   // E_INVALIDARG for a path that is no connection, or an index out of range.
   long GetConnectionHostCount(_bstr_t cnxPath);
   _bstr_t GetConnectionHostPath(_bstr_t cnxPath, long index);
   // Makes a host of the connection the client's host (GetHostPath); E_INVALIDARG for another.
   HRESULT Attach(_bstr_t cnxPath, _bstr_t hostPath);
   // Lets go of a host attached before (the client's host is the local one again); letting go
   // of a host not attached does nothing.
   HRESULT ReleaseHost(_bstr_t hostPath);
   // Removes the connection node; a remote host no other connection uses goes with it.
   HRESULT Disconnect(_bstr_t cnxPath);
   // Connects the console to the machine at `vmPath` ("/vm/#0001/"): marks it "mks/connected"
   // (the host clears it when the machine stops). Refused with a text a user can read:
   // E_INVALIDARG for a path that names no open machine, E_FAIL for a machine that is not
   // powered on.
   HRESULT ConnectMks(_bstr_t vmPath);

   virtual HRESULT __stdcall raw_Init(INT_PTR rawCtx, INT_PTR rawPoll, VARIANT_BOOL pollOption) = 0;
   virtual HRESULT __stdcall raw_SetVariables(BSTR text) = 0;
   virtual HRESULT __stdcall raw_GetHostPath(BSTR *path) = 0;
   virtual HRESULT __stdcall raw_GetLocalHostPath(BSTR *path) = 0;
   virtual HRESULT __stdcall raw_Connect(BSTR dest, BSTR user, BSTR password, BSTR *cnxPath) = 0;
   virtual HRESULT __stdcall raw_GetConnectionHostCount(BSTR cnxPath, long *count) = 0;
   virtual HRESULT __stdcall raw_GetConnectionHostPath(BSTR cnxPath, long index, BSTR *hostPath) = 0;
   virtual HRESULT __stdcall raw_Attach(BSTR cnxPath, BSTR hostPath) = 0;
   virtual HRESULT __stdcall raw_ReleaseHost(BSTR hostPath) = 0;
   virtual HRESULT __stdcall raw_Disconnect(BSTR cnxPath) = 0;
   virtual HRESULT __stdcall raw_ConnectMks(BSTR vmPath) = 0;
};

// The machine list: bound to a database and the poll loop.
struct IVMList : IUnknown {
   // E_POINTER without a database; a second Init fails with E_UNEXPECTED.
   HRESULT Init(IVmdbDatabase *db, ITremappPoll *poll);
   IVmdbDatabasePtr GetDatabase();

   virtual HRESULT __stdcall raw_Init(IVmdbDatabase *db, ITremappPoll *poll) = 0;
   virtual HRESULT __stdcall raw_GetDatabase(IVmdbDatabase **db) = 0;
};

// The message box of the user interface.
//
// Message kinds: "error", "warning", "info", "hint" (information icon), "hintQuestion" (question
// icon). Button sets and answers: "ok" (OK 0), "yesNo" (Yes 0, No 1), "okCancel" (OK 0, Cancel 1).
// A hint key names a hint the user may have turned off: when the preference
// "/user/prefState/req/#ZOLT/val/hints/<key>/disabled" (read through the context) is true, the
// message is not shown and answers 0.
//
// A "hint" or "hintQuestion" with a hint key is shown in a box of its own with a "Do not show
// this message again" check box; answered with 0 while it is checked, the hint's disabled node is
// written (true), so it stays off across runs ("/user/" is saved).
//
// Test hooks: with the configuration key "test.vmmsg.answer" set, no window is shown and the
// configured answer is returned; "test.vmmsg.suppress" (true) then stands for a ticked check box.
// Either way the message is logged as "VMMsg: <kind>: <title>: <text>\n".
struct IVMMsg : IUnknown {
   // `channel` -1: this process's own user interface, the only one there is (E_INVALIDARG else).
   HRESULT Init(long channel);
   // The context the hint preferences are read through; null: no hint is ever turned off.
   HRESULT SetContext(IVmdbContext *ctx);
   // The window that owns the box (it is disabled while the box is up); null or a window that
   // no longer exists: no owner.
   HRESULT SetOwner(HWND owner);
   HWND GetOwner();
   // Shows a modal box and returns the answer index. E_INVALIDARG for an unknown kind or set.
   long Message(_bstr_t text, _bstr_t title, _bstr_t buttonSet, _bstr_t kind, _bstr_t hintKey = _bstr_t());
   // A machine's question, asked through its console: shown like Message with the machine's name
   // as title and no hint. `defaultAnswer` is the answer index of the button that has the focus
   // (out of range: the first); the three reserved arguments must be 0 (E_INVALIDARG else).
   long MachineMessage(_bstr_t text, _bstr_t vmName, _bstr_t buttonSet, _bstr_t kind, long defaultAnswer,
                       long reserved1 = 0, long reserved2 = 0, long reserved3 = 0);
   // Follows a request or command element ("/vm/#0001/cmd/#0003/") its sender has just submitted
   // and does not wait for: when its owner answers it with the status "error", the error text
   // ("status/error/errMsg") is logged ("VMMsg: <element> failed: <text>\n") and shown as an
   // "error" box titled with the machine's name. Settings and preference requests are only logged:
   // their senders report them. Needs a context (E_UNEXPECTED); E_INVALIDARG for a path that
   // names no node. An element the sender removes unanswered is let go.
   HRESULT FollowRequest(_bstr_t elementPath);

   virtual HRESULT __stdcall raw_Init(long channel) = 0;
   virtual HRESULT __stdcall raw_SetContext(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall raw_SetOwner(HWND owner) = 0;
   virtual HRESULT __stdcall raw_GetOwner(HWND *owner) = 0;
   virtual HRESULT __stdcall raw_Message(BSTR text, BSTR title, BSTR buttonSet, BSTR kind, BSTR hintKey,
                                         long *answer) = 0;
   virtual HRESULT __stdcall raw_MachineMessage(BSTR text, BSTR vmName, BSTR buttonSet, BSTR kind, long defaultAnswer,
                                                long reserved1, long reserved2, long reserved3, long *answer) = 0;
   virtual HRESULT __stdcall raw_FollowRequest(BSTR elementPath) = 0;
};

#include "vmdb/ClientInterfaces.inl"
