// Text: one encoding inside, converted once at each boundary.
//
// Every 8-bit string in the program, the model library, the state database and the stand-ins
// holds UTF-8: paths, names, notes, database values, configuration values, log lines, command
// lines, resource texts once loaded. Text changes form only where it crosses into something that
// does not speak UTF-8, and there with the functions below:
//
// - Windows. Calls that take or give text a user may have written (files and folders, window
//   and dialog texts, menus, list and tree items, the common dialogs, the shell, processes,
//   message boxes, the registry) use their W forms: WideFromUtf8 going in, Utf8FromWide coming
//   out. The A forms read bytes in the system's code page, in which most of the world's names
//   cannot be written; they are used only for texts that are ASCII by construction (class
//   names, fixed keys, numbers).
// - COM. BSTR, _bstr_t and VARIANT strings are UTF-16. _bstr_t's conversions to and from
//   `const char *` convert UTF-8 (the support functions of the ATL-style layer do so), so
//   `_bstr_t(text)` and `static_cast<const char *>(bstr)` are exact; Utf8FromBstr and
//   BstrFromUtf8 do the same for a raw BSTR.
// - Files. The files the stand-ins keep (machine configurations, snapshot lists, teams, the
//   user's preferences, registration lists) are UTF-8 on disk and are read and written as bytes:
//   a value read from a file and written back is the same bytes. Only their names are paths,
//   which reach the file functions of Windows through WidePathFromUtf8; tremorybase/File.h
//   does so for the common operations.
// - Between instances. The command line comes from GetCommandLineW; a command line handed to a
//   running instance by WM_COPYDATA is UTF-8 with its terminating zero.
//
// A string that is not valid UTF-8 converts with U+FFFD for each bad sequence; conversion never
// fails and never reads past the text.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// A zero-terminated wide text; null gives "".
std::string Utf8FromWide(const wchar_t *text);

// A path for the file functions of Windows (CreateFileW, MoveFileExW, CreateDirectoryW, ...):
// WideFromUtf8, except that a path too long for them as it is becomes full and gets the "\\?\"
// prefix, so a file beside a 259-character path ("<path>.tmp", "<name>-disk1.img") can still be
// made. Not for the shell or the common dialogs, which do not take the prefix.
std::wstring WidePathFromUtf8(std::string_view path);

// A BSTR's whole length, embedded zeros included; null gives "".
std::string Utf8FromBstr(BSTR text);
// A new BSTR the caller frees; null only when memory ran out.
BSTR BstrFromUtf8(std::string_view text);
