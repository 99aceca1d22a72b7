// What the wizard tests share: COM and the class table, a "createVMCfg" command element in the
// state database as the application prepares it, scratch folders and the wizard's own texts.
#pragma once

#include <windows.h>

#include <string>

#include "tremhwcfg/TremHwCfg.h"

namespace wiztest {

// A command element "…/util/vm/cmd/#n/" with "op" = "createVMCfg" in an open batch, and the
// operation path the wizard is handed.
class CommandElement {
public:
   CommandElement();
   ~CommandElement();

   IVmdbContextPtr ctx;
   std::wstring opPath;
   // The text of "in/<name>" below the operation path; booleans read "1" or "0".
   std::wstring Input(const std::wstring &name) const;
};

// A wizard object created by its ProgID with the class context 0x17, as the application does.
ITremNwzPtr CreateWizard(const CommandElement &command);

// A folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
   ScratchFolder();
   ~ScratchFolder();
   const std::wstring &Path() const { return path_; }
   std::wstring Sub(const std::wstring &name) const { return path_ + L"\\" + name; }
   void WriteFile(const std::wstring &name) const;

private:
   std::wstring path_;
};

bool Exists(const std::wstring &path);
std::wstring Text(UINT id);
// A resource string with "%n" replaced by the inserts.
std::wstring Text(UINT id, const std::wstring &insert1, const std::wstring &insert2 = L"",
                  const std::wstring &insert3 = L"");
std::wstring DocumentsFolder();

}  // namespace wiztest
