// The state database's COM interfaces, written as type-library wrappers are: each interface has
// raw_ methods that return an HRESULT, and inline wrappers that raise _com_error on failure (with
// the object's error text) and return the result, so callers write
//    IVmdbContextPtr ctx = db->NewContext();
//    ctx->WriteValue(L"a/b", _variant_t(1));
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <comdef.h>

struct IVmdbDatabase;
struct IVmdbContext;
struct IVmdbUtil;
struct IVmdbSchema;
struct ITremappPoll;
struct _IVmdbContextEvents;

// Creatable classes ("VmdbDatabase", "VmdbUtil", "VmdbSchema", "TremappPoll").
struct VmdbDatabase;
struct VmdbUtil;
struct VmdbSchema;
struct TremappPoll;

__CRT_UUID_DECL(IVmdbDatabase, 0x03a76469, 0x027c, 0x4803, 0xb6, 0x3a, 0xd0, 0xde, 0x3b, 0xb3, 0x4b, 0xe2)
__CRT_UUID_DECL(IVmdbContext, 0x88b358a6, 0xb320, 0x4b0b, 0x94, 0x0f, 0x87, 0x2c, 0xdd, 0x3a, 0xb7, 0x85)
__CRT_UUID_DECL(IVmdbUtil, 0xf38ade14, 0x2b77, 0x4471, 0x93, 0x0c, 0x77, 0xf8, 0xec, 0x3b, 0x17, 0x35)
__CRT_UUID_DECL(IVmdbSchema, 0x8e786c05, 0xca0a, 0x484c, 0x90, 0x2c, 0x3a, 0x2d, 0x81, 0xeb, 0xa5, 0xa5)
__CRT_UUID_DECL(ITremappPoll, 0x52c07e72, 0x7fbb, 0x4207, 0xb0, 0x93, 0x56, 0xe8, 0xf3, 0xdf, 0x59, 0x79)
__CRT_UUID_DECL(_IVmdbContextEvents, 0xc091d94b, 0x44f6, 0x4023, 0x80, 0xdc, 0x10, 0x1b, 0x41, 0x6b, 0x57, 0x30)
__CRT_UUID_DECL(VmdbDatabase, 0x84fbf6ce, 0xd62e, 0x4544, 0x83, 0xa0, 0xf1, 0x36, 0xe4, 0x53, 0x79, 0xd8)
__CRT_UUID_DECL(VmdbUtil, 0xcbb5be43, 0xe6ff, 0x4010, 0xb0, 0x93, 0xc4, 0xcb, 0xa0, 0xcb, 0x44, 0x25)
__CRT_UUID_DECL(VmdbSchema, 0x947d2433, 0x140d, 0x4146, 0x8e, 0x81, 0x4c, 0x3e, 0x69, 0xa4, 0xbe, 0x66)
__CRT_UUID_DECL(TremappPoll, 0xcb32186e, 0x9824, 0x4a0c, 0xac, 0x70, 0xc9, 0x90, 0x3e, 0x15, 0xdd, 0x1d)

_COM_SMARTPTR_TYPEDEF(IVmdbDatabase, __uuidof(IVmdbDatabase));
_COM_SMARTPTR_TYPEDEF(IVmdbContext, __uuidof(IVmdbContext));
_COM_SMARTPTR_TYPEDEF(IVmdbUtil, __uuidof(IVmdbUtil));
_COM_SMARTPTR_TYPEDEF(IVmdbSchema, __uuidof(IVmdbSchema));
_COM_SMARTPTR_TYPEDEF(ITremappPoll, __uuidof(ITremappPoll));
_COM_SMARTPTR_TYPEDEF(_IVmdbContextEvents, __uuidof(_IVmdbContextEvents));

// Schema type codes (VmdbSchema::SetType).
enum VmdbNodeType {
   VMDB_TYPE_DIR = 0,
   VMDB_TYPE_TEXT = 1,
   VMDB_TYPE_FLAG = 3,
   VMDB_TYPE_ENUM = 4,
   VMDB_TYPE_LINK = 5,
};

// Connect flag of a named database that lives in memory only (the default database is the one
// with the user file).
const long VMDB_CONNECT_NAMED = 0x1000000;

struct IVmdbDatabase : IUnknown {
   HRESULT ConnectDefault();
   HRESULT Connect(_bstr_t name, long flags);
   // Lets go of the database; the default one saves its user file when nobody uses it any more.
   HRESULT Disconnect();
   IVmdbContextPtr NewContext();
   HRESULT Save();
   // A vmdbstore::Store* (see vmdb/Store.h), valid while this object is connected.
   INT_PTR GetRawHandle();

   virtual HRESULT __stdcall raw_ConnectDefault() = 0;
   virtual HRESULT __stdcall raw_Connect(BSTR name, long flags) = 0;
   virtual HRESULT __stdcall raw_Disconnect() = 0;
   virtual HRESULT __stdcall raw_NewContext(IVmdbContext **ctx) = 0;
   virtual HRESULT __stdcall raw_Save() = 0;
   virtual HRESULT __stdcall raw_GetRawHandle(INT_PTR *handle) = 0;
};

// A view of the database with a current path. The object is also a connection point container
// whose one connection point raises _IVmdbContextEvents for the context's watches.
struct IVmdbContext : IUnknown {
   HRESULT ChangePath(_bstr_t path);
   _bstr_t CurrentPath();
   _bstr_t FullPath(_bstr_t path);
   // A text (VT_BSTR), or VT_BOOL for a flag or a node written as a boolean; a missing node reads
   // as the empty text.
   _variant_t ReadValue(_bstr_t path);
   // Takes texts, VT_I2, VT_I4 and other integers (kept as decimal text) and VT_BOOL ("1"/"0").
   HRESULT WriteValue(_bstr_t path, const _variant_t &value);
   // True when the node exists and holds a true value: anything but "", "0" and "false", or no
   // value but children. On a state's "new" node: a submission is pending.
   VARIANT_BOOL TestNode(_bstr_t path);
   // On "x/#" or "x/##" (optionally "/"): makes a new element and returns "x/#000n/".
   _bstr_t AppendElement(_bstr_t path);
   // "x/#" gives the first element "x/#0001/", "x/#0001/" the next one; empty when none is left.
   _bstr_t NextElement(_bstr_t path);
   HRESULT OpenBatch();
   // Every close commits; the flag is kept for callers that pass -1.
   HRESULT CloseBatch(long flag = -1, long reserved = 0);
   // Runs poll steps until the value equals (untilEqual) or differs from `value`; limit -1: none.
   VARIANT_BOOL WaitUntilChanged(_bstr_t path, const _variant_t &value, VARIANT_BOOL untilEqual, long limitMs);
   HRESULT RemoveNode(_bstr_t path, VARIANT_BOOL recursive);
   // Mode 0: the node; mode 1: the node and its subtree; "#" matches any element.
   HRESULT Watch(_bstr_t path, long mode);
   HRESULT Unwatch(_bstr_t path);
   IVmdbDatabasePtr GetDatabase();
   // A vmdbstore::Context* (see vmdb/Store.h), valid while this object lives.
   INT_PTR GetRawHandle();

   virtual HRESULT __stdcall raw_ChangePath(BSTR path) = 0;
   virtual HRESULT __stdcall raw_CurrentPath(BSTR *path) = 0;
   virtual HRESULT __stdcall raw_FullPath(BSTR path, BSTR *full) = 0;
   virtual HRESULT __stdcall raw_ReadValue(BSTR path, VARIANT *value) = 0;
   virtual HRESULT __stdcall raw_WriteValue(BSTR path, VARIANT value) = 0;
   virtual HRESULT __stdcall raw_TestNode(BSTR path, VARIANT_BOOL *result) = 0;
   virtual HRESULT __stdcall raw_AppendElement(BSTR path, BSTR *element) = 0;
   virtual HRESULT __stdcall raw_NextElement(BSTR path, BSTR *element) = 0;
   virtual HRESULT __stdcall raw_OpenBatch() = 0;
   virtual HRESULT __stdcall raw_CloseBatch(long flag, long reserved) = 0;
   virtual HRESULT __stdcall raw_WaitUntilChanged(BSTR path, VARIANT value, VARIANT_BOOL untilEqual, long limitMs,
                                                  VARIANT_BOOL *result) = 0;
   virtual HRESULT __stdcall raw_RemoveNode(BSTR path, VARIANT_BOOL recursive) = 0;
   virtual HRESULT __stdcall raw_Watch(BSTR path, long mode) = 0;
   virtual HRESULT __stdcall raw_Unwatch(BSTR path) = 0;
   virtual HRESULT __stdcall raw_GetDatabase(IVmdbDatabase **db) = 0;
   virtual HRESULT __stdcall raw_GetRawHandle(INT_PTR *handle) = 0;
};

// Raised from a poll step for each change a watch of the context matched.
struct _IVmdbContextEvents : IUnknown {
   HRESULT OnChange(_bstr_t watchedPath, _bstr_t changedPath);

   virtual HRESULT __stdcall raw_OnChange(BSTR watchedPath, BSTR changedPath) = 0;
};

// A cursor into the schema (starting at the root) and path helpers.
struct IVmdbUtil : IUnknown {
   HRESULT Attach(IVmdbDatabase *db);
   IVmdbDatabasePtr GetDatabase();
   // Into a directory by name; ".." goes up one level.
   HRESULT ChangeSchemaPath(_bstr_t name);
   _bstr_t GetSchemaPath();
   // Lexical helpers: `path` taken relative to `base` (absolute `path` wins), ".." applied.
   _bstr_t JoinPath(_bstr_t base, _bstr_t path);
   _bstr_t ParentPath(_bstr_t path);
   // The relative path that leads from directory `from` to `to` (both absolute).
   _bstr_t RelativePath(_bstr_t from, _bstr_t to);

   virtual HRESULT __stdcall raw_Attach(IVmdbDatabase *db) = 0;
   virtual HRESULT __stdcall raw_GetDatabase(IVmdbDatabase **db) = 0;
   virtual HRESULT __stdcall raw_ChangeSchemaPath(BSTR name) = 0;
   virtual HRESULT __stdcall raw_GetSchemaPath(BSTR *path) = 0;
   virtual HRESULT __stdcall raw_JoinPath(BSTR base, BSTR path, BSTR *result) = 0;
   virtual HRESULT __stdcall raw_ParentPath(BSTR path, BSTR *result) = 0;
   virtual HRESULT __stdcall raw_RelativePath(BSTR from, BSTR to, BSTR *result) = 0;
};

// One schema node, added at a VmdbUtil's cursor. Adding enumeration values makes it an
// enumeration; a link target makes it a link.
struct IVmdbSchema : IUnknown {
   HRESULT SetName(_bstr_t name);
   _bstr_t GetName();
   HRESULT SetType(long type);
   long GetType();
   HRESULT AddEnumValue(_bstr_t value);
   long GetEnumValueCount();
   _bstr_t GetEnumValue(long index);
   HRESULT SetDefault(_bstr_t value);
   _bstr_t GetDefault();
   HRESULT SetLinkTarget(_bstr_t pattern);
   _bstr_t GetLinkTarget();
   HRESULT AddToParent(IVmdbUtil *util);

   virtual HRESULT __stdcall raw_SetName(BSTR name) = 0;
   virtual HRESULT __stdcall raw_GetName(BSTR *name) = 0;
   virtual HRESULT __stdcall raw_SetType(long type) = 0;
   virtual HRESULT __stdcall raw_GetType(long *type) = 0;
   virtual HRESULT __stdcall raw_AddEnumValue(BSTR value) = 0;
   virtual HRESULT __stdcall raw_GetEnumValueCount(long *count) = 0;
   virtual HRESULT __stdcall raw_GetEnumValue(long index, BSTR *value) = 0;
   virtual HRESULT __stdcall raw_SetDefault(BSTR value) = 0;
   virtual HRESULT __stdcall raw_GetDefault(BSTR *value) = 0;
   virtual HRESULT __stdcall raw_SetLinkTarget(BSTR pattern) = 0;
   virtual HRESULT __stdcall raw_GetLinkTarget(BSTR *pattern) = 0;
   virtual HRESULT __stdcall raw_AddToParent(IVmdbUtil *util) = 0;
};

// The poll loop as an object: its handle for the machine client, and its end.
struct ITremappPoll : IUnknown {
   INT_PTR GetRawHandle();
   // Drops every pending timer and queued callback of the poll loop.
   HRESULT Shutdown();

   virtual HRESULT __stdcall raw_GetRawHandle(INT_PTR *handle) = 0;
   virtual HRESULT __stdcall raw_Shutdown() = 0;
};

#include "vmdb/VmdbInterfaces.inl"
