// The new-machine wizard as a Wizard97 property sheet: builds its pages, runs it modally and
// keeps what the user chose, recording it below the command's operation path as the user goes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "NwzSettings.h"
#include "tremhwcfg/TremHwCfg.h"

namespace tremhwcfg {

class CNwzPage;

struct NwzRunOptions {
   IVmdbContextPtr ctx;
   std::wstring opPath;
   // The machine is made on the computer the wizard runs on: the folder can be browsed for and
   // checked. For a remote host only the form of the path is checked.
   bool local = true;
   bool openWhenDone = true;
   long mode = TREMNWZ_MODE_MACHINE;
   TremNwzSignal *switchSignal = nullptr;
   TremNwzSignal *runningSignal = nullptr;
};

class CNwzSheet {
public:
   explicit CNwzSheet(const NwzRunOptions &options);
   ~CNwzSheet();

   // Modal over `parent`; a TremNwzResult. On anything but Finish "in/file" is left empty.
   short Run(HWND parent);

   NwzSettings &Settings() { return settings_; }
   const NwzRunOptions &Options() const { return options_; }
   bool IsTemplate() const { return options_.mode == TREMNWZ_MODE_TEMPLATE; }
   const std::wstring &Documents() const { return documents_; }

   // Writes the choices so far into the command's inputs; false with a text for the user when
   // the database refuses.
   bool Record(std::wstring &error);
   // The last page accepted Finish.
   void MarkFinished() { finished_ = true; }
   // Template mode: the user wants the template made from an existing machine instead. Tells
   // the application and closes the wizard as cancelled.
   void SwitchToExistingMachine(HWND page);

   // The user changed memory or disk size by hand: a later change of guest keeps them.
   bool memoryChosen = false;
   bool diskChosen = false;

   CNwzSheet(const CNwzSheet &) = delete;
   CNwzSheet &operator=(const CNwzSheet &) = delete;

private:
   void BuildPages();
   void LeaveFileEmpty();

   NwzRunOptions options_;
   NwzSettings settings_;
   std::wstring documents_;
   std::wstring caption_;
   std::vector<std::unique_ptr<CNwzPage>> pages_;
   bool finished_ = false;
};

}  // namespace tremhwcfg
