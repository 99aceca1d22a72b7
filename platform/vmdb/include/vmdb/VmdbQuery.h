// The state database's query objects ("VmdbQuery", "VmdbParseError", "VmdbExecuteError"), in the
// wrapper style of VmdbInterfaces.h. The language is the small subset the program uses:
//
//    SELECT FROM $<pattern> [WHERE $<name> = "<value>"]
//
// <pattern> is a node path, relative to the context's current path or absolute, in which a "#"
// segment matches any element; the rows are the full paths (with a trailing "/") of the nodes it
// matches, in element order. WHERE keeps the rows whose child <name> holds exactly <value>
// (a '\' in the value escapes the next character). Keywords are case-blind; blanks separate.
//
// Use: Parse the text (a bad text fails with E_INVALIDARG and fills the parse-error object),
// Execute it on a context (failures fill the execute-error object), then FetchNext until it
// answers "". Register the classes with vmdb::RegisterClasses().
#pragma once

#include "vmdb/VmdbInterfaces.h"

#include <string>
#include <vector>

struct IVmdbQuery;
struct IVmdbParseError;
struct IVmdbExecuteError;
struct VmdbQuery;
struct VmdbParseError;
struct VmdbExecuteError;

__CRT_UUID_DECL(IVmdbQuery, 0x5b0f2c41, 0x7d3e, 0x4a8c, 0x9e, 0x21, 0x3c, 0x55, 0x0b, 0x7a, 0x91, 0x6d)
__CRT_UUID_DECL(IVmdbParseError, 0x2e8d6a17, 0x4c90, 0x4f1b, 0xa3, 0x5e, 0x71, 0x0c, 0xd2, 0x48, 0x9b, 0x03)
__CRT_UUID_DECL(IVmdbExecuteError, 0x9a4c13e8, 0x61b7, 0x45d2, 0x8f, 0x0a, 0xe6, 0x2b, 0x17, 0xc4, 0x50, 0x3e)
__CRT_UUID_DECL(VmdbQuery, 0xc7d1e5a2, 0x38f4, 0x4b6e, 0x82, 0x9c, 0x4d, 0x0e, 0xa1, 0x66, 0x27, 0xf5)
__CRT_UUID_DECL(VmdbParseError, 0x14a9b3d6, 0x0e5c, 0x4d87, 0xb1, 0x72, 0x98, 0x3f, 0x6a, 0x0d, 0xc5, 0x21)
__CRT_UUID_DECL(VmdbExecuteError, 0x6f3e82c0, 0xa91d, 0x4e25, 0x94, 0x6b, 0x2a, 0x7d, 0x5c, 0x18, 0xe0, 0x4f)

_COM_SMARTPTR_TYPEDEF(IVmdbQuery, __uuidof(IVmdbQuery));
_COM_SMARTPTR_TYPEDEF(IVmdbParseError, __uuidof(IVmdbParseError));
_COM_SMARTPTR_TYPEDEF(IVmdbExecuteError, __uuidof(IVmdbExecuteError));

// What went wrong parsing: the text and the character position (from 0) where it was seen.
struct IVmdbParseError : IUnknown {
   _bstr_t GetText();
   long GetPosition();

   virtual HRESULT __stdcall raw_GetText(BSTR *text) = 0;
   virtual HRESULT __stdcall raw_GetPosition(long *position) = 0;
   // Used by the query object; clears the error when `text` is empty.
   virtual HRESULT __stdcall raw_SetError(BSTR text, long position) = 0;
};

// What went wrong executing.
struct IVmdbExecuteError : IUnknown {
   _bstr_t GetText();

   virtual HRESULT __stdcall raw_GetText(BSTR *text) = 0;
   virtual HRESULT __stdcall raw_SetError(BSTR text) = 0;
};

struct IVmdbQuery : IUnknown {
   // Replaces the parsed query; `error` (may be null) gets what went wrong.
   HRESULT Parse(_bstr_t text, IVmdbParseError *error);
   // Collects the rows on `ctx`; E_UNEXPECTED before a successful Parse.
   HRESULT Execute(IVmdbContext *ctx, IVmdbExecuteError *error);
   // The next row's path; "" after the last.
   _bstr_t FetchNext();

   virtual HRESULT __stdcall raw_Parse(BSTR text, IVmdbParseError *error) = 0;
   virtual HRESULT __stdcall raw_Execute(IVmdbContext *ctx, IVmdbExecuteError *error) = 0;
   virtual HRESULT __stdcall raw_FetchNext(BSTR *path) = 0;
};

#define VMDB_QUERY_RAISE(Interface, call)                                                             \
   do {                                                                                               \
      HRESULT vmdbHr_ = (call);                                                                       \
      if (FAILED(vmdbHr_)) {                                                                          \
         _com_issue_errorex(vmdbHr_, this, __uuidof(Interface));                                      \
      }                                                                                               \
   } while (0)

inline _bstr_t IVmdbParseError::GetText()
{
   BSTR text = nullptr;
   VMDB_QUERY_RAISE(IVmdbParseError, raw_GetText(&text));
   return _bstr_t(text, false);
}

inline long IVmdbParseError::GetPosition()
{
   long position = -1;
   VMDB_QUERY_RAISE(IVmdbParseError, raw_GetPosition(&position));
   return position;
}

inline _bstr_t IVmdbExecuteError::GetText()
{
   BSTR text = nullptr;
   VMDB_QUERY_RAISE(IVmdbExecuteError, raw_GetText(&text));
   return _bstr_t(text, false);
}

inline HRESULT IVmdbQuery::Parse(_bstr_t text, IVmdbParseError *error)
{
   VMDB_QUERY_RAISE(IVmdbQuery, raw_Parse(text, error));
   return S_OK;
}

inline HRESULT IVmdbQuery::Execute(IVmdbContext *ctx, IVmdbExecuteError *error)
{
   VMDB_QUERY_RAISE(IVmdbQuery, raw_Execute(ctx, error));
   return S_OK;
}

inline _bstr_t IVmdbQuery::FetchNext()
{
   BSTR path = nullptr;
   VMDB_QUERY_RAISE(IVmdbQuery, raw_FetchNext(&path));
   return _bstr_t(path, false);
}

#undef VMDB_QUERY_RAISE

namespace vmdb {

// A parsed query: the pattern's segments and the optional condition.
struct Query {
   std::string pattern;     // as written after "$"
   std::string whereName;   // empty: no condition
   std::string whereValue;
};

// Parses `text`; false with the error's text and position when it is no query of the subset.
bool ParseQuery(const std::string &text, Query &query, std::string &error, long &position);

}  // namespace vmdb
