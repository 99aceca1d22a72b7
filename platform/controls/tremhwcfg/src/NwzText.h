// The wizard's resource strings, with "%1".."%9" inserts.
#pragma once

#include <windows.h>

#include "tremorybase/Text.h"

#include <initializer_list>
#include <string>

namespace tremhwcfg {

// The module the wizard's resources are linked into (the program's own).
HINSTANCE ResourceModule();
// The string `id`; empty when there is none.
std::wstring LoadText(UINT id);
// The string with each "%n" replaced by the n-th insert ("%%" gives "%"); a missing insert reads
// as empty.
std::wstring FormatText(UINT id, std::initializer_list<std::wstring> inserts);
std::wstring FormatInserts(const std::wstring &pattern, std::initializer_list<std::wstring> inserts);

}  // namespace tremhwcfg
