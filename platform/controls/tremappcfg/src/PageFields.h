// What each settings page edits: its fields (control, kind, key below the state's "val/",
// default), which state it belongs to, and the reading and writing of those values. No windows
// here: the page dialog only moves the values between these and its controls.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "vmdb/VmdbInterfaces.h"

namespace tremappcfg {

enum class FieldKind {
   Check,    // "1" or "0"
   Folder,   // a folder: any text but an empty one; "Machines" of the user's documents by default
   Number,   // decimal digits only
   Choice,   // one of the field's choice values, in a drop-down list
};

struct FieldChoice {
   const char *value;
   UINT textId;
};

struct Field {
   int control;
   FieldKind kind;
   const char *key;            // below "val/": "memory/max", "zolt/view/tabs"
   const char *defaultValue;   // shown when neither the element nor the state holds a value
   std::vector<FieldChoice> choices;
};

enum class PageState { Host, Prefs };

struct PageSpec {
   const wchar_t *progId;
   UINT dialogId;
   PageState state;
   std::vector<Field> fields;
   bool showsHostMemory = false;
};

// Control id -> value as text.
typedef std::map<int, std::string> FieldValues;

// Every page, in the order their class ids are numbered; kPageTotal of them.
constexpr size_t kPageTotal = 12;
const std::vector<PageSpec> &AllPages();
// Null for an unknown ProgID.
const PageSpec *FindPage(const std::wstring &progId);

// True when `element` is a request element of the page's state ("…/settingsState/req/#…/" for
// the host pages, "…/prefState/req/#…/" for the preference pages).
bool ElementBelongsTo(PageState state, const std::string &element);
// "/host2/#0000/settingsState/req/#0001/" gives "/host2/#0000/settingsState/"; empty when the
// path is no request element.
std::string StateOfElement(const std::string &element);
// "/host2/#0000/settingsState/req/#0001/" gives "/host2/#0000/"; empty outside "/host2/".
std::string HostOfElement(const std::string &element);

// The value of one key as shown: the element's, else the state's, else the default. Flags are
// given as "1" or "0".
std::string ReadField(IVmdbContext *ctx, const std::string &element, const Field &field);
FieldValues ReadFields(IVmdbContext *ctx, const std::string &element, const PageSpec &page);
// The first field whose value the page cannot accept (0 when all are fine) and the id of the text
// that says why.
int FindRefusedField(const PageSpec &page, const FieldValues &values, UINT &reasonId);
// Writes into the element's "val/..." every value that differs from the one shown; the count.
int WriteChanged(IVmdbContext *ctx, const std::string &element, const PageSpec &page, const FieldValues &shown,
                 const FieldValues &values);

// The folder a Folder field shows when nothing else is known: "Machines" in the user's documents.
std::string DefaultMachineFolder();

// The host's memory in megabytes: its "info/memoryMB", else this computer's.
long HostMemoryMB(IVmdbContext *ctx, const std::string &hostPath);

// A database value as text, flags as "1"/"0".
std::string ValueText(const _variant_t &value);
bool IsTrueText(const std::string &text);

}  // namespace tremappcfg
