// The library's settings dialog of one machine: its name, memory, processors and notes, in a
// modeless window titled "<machine name> - Virtual Machine Settings". OK sends only what the
// user changed, as one request on the machine's "vmx/cfgState"; Cancel closes. One window per
// machine: asking again for the same machine gives the window that is up. The window closes
// when its machine is closed. A machine that is not powered off keeps memory and processors.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"

namespace cui {
class VM;
}

namespace wui {
namespace dialog {

class CVMSettingsDlg;

// What the dialog edits.
struct VMSettingsValues {
   std::string displayName;
   long memoryMB = 0;
   long cpuCount = 0;
   std::string notes;
};

// Limits of the memory size (MB) and the processor count.
const long kMinMemoryMB = 4;
const long kMaxMemoryMB = 3600;
const long kMemoryStepMB = 4;
const long kMaxCPUCount = 2;

// The request values ("displayName", "memoryMB", "cpuCount", "annotation") of the fields that
// differ; memory and processors only when `hardwareEditable`.
std::vector<std::pair<std::string, std::string>> ChangedSettings(const VMSettingsValues &before,
                                                                 const VMSettingsValues &after,
                                                                 bool hardwareEditable);
// The text to show when the typed values cannot be sent; empty when they can. Memory and
// processors are checked only when they were changed (and can be).
std::string CheckSettings(const VMSettingsValues &before, const VMSettingsValues &after, bool hardwareEditable);

class VMSettings : public sigc::trackable {
public:
   // Control ids, for the code and the tests that drive the window.
   enum {
      kNameEdit = 1001,
      kMemoryEdit = 1002,
      kMemorySpin = 1003,
      kCPUCombo = 1004,
      kNotesEdit = 1005,
      kHardwareNote = 1006,
   };

   // The settings of `vm`: the one already made for it, else a new one (null without a
   // machine). It lives until its window closes, or its machine is closed.
   static VMSettings *CreateInstance(cui::VM *vm);
   // The settings made for `vm`; null when none.
   static VMSettings *Find(cui::VM *vm);

   // Shows the window, made on first use, and brings it to the front. `activate` 0 shows it
   // without taking the focus; `owner` null: the library dialog manager's default owner;
   // `field` 0 to 3: the field that gets the focus (name, memory, processors, notes).
   void Show(int activate, HWND owner, int field);
   void Show(int activate, int owner, int field) { Show(activate, reinterpret_cast<HWND>(static_cast<INT_PTR>(owner)), field); }
   // Closes the window and deletes the object.
   void Close();

   HWND GetWindow() const;
   cui::VM *GetVM() const { return vm_; }
   // True while an OK's request has not been answered.
   bool IsSubmitting() const { return submitting_; }

   // What the window asks of its object.
   void OnOK();
   void OnWindowGone();

   VMSettings(const VMSettings &) = delete;
   VMSettings &operator=(const VMSettings &) = delete;

private:
   explicit VMSettings(cui::VM *vm);
   ~VMSettings();

   VMSettingsValues ReadVM() const;
   bool IsHardwareEditable() const;
   void OnVMChanged();
   void OnVMRemoved();
   void OnSubmitted();
   void OnSubmitFailed(bool cancelled, cui::Error error);
   void ShowError(const std::string &text);
   static void *OnVMDestroyed(void *self);

   cui::VM *vm_;
   CVMSettingsDlg *dlg_ = nullptr;
   VMSettingsValues shown_;   // the machine's values the fields started from
   long generationNo_ = -1;
   bool submitting_ = false;
   std::vector<sigc::connection> connections_;
};

}  // namespace dialog
}  // namespace wui
