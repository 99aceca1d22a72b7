#include "cui/VMSettings.h"

#include <commctrl.h>

#include <cstdlib>
#include <map>

#include "DlgTemplate.h"
#include "WindowText.h"
#include "atl/Atl.h"
#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/RpcMgr.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"

namespace wui {
namespace dialog {

namespace {

const char kTitle[] = "@&!*@*@(msg.dialog.vmSettings.title)%s - Virtual Machine Settings";
const char kNameLabel[] = "@&!*@*@(msg.dialog.vmSettings.name)&Name:";
const char kMemoryLabel[] = "@&!*@*@(msg.dialog.vmSettings.memory)&Memory (MB):";
const char kMemoryRange[] = "@&!*@*@(msg.dialog.vmSettings.memoryRange)%ld to %ld MB, a multiple of %ld";
const char kCPULabel[] = "@&!*@*@(msg.dialog.vmSettings.cpus)&Processors:";
const char kNotesLabel[] = "@&!*@*@(msg.dialog.vmSettings.notes)N&otes:";
const char kHardwareNote[] = "@&!*@*@(msg.dialog.vmSettings.poweredOn)Memory and processors can be changed only "
                             "while the virtual machine is powered off.";
const char kOK[] = "@&!*@*@(msg.dialog.button.ok)OK";
const char kCancel[] = "@&!*@*@(msg.dialog.button.cancel)Cancel";
const char kNoName[] = "@&!*@*@(msg.dialog.vmSettings.noName)Enter a name for the virtual machine.";
const char kBadMemory[] = "@&!*@*@(msg.dialog.vmSettings.badMemory)The memory size must be a multiple of %ld MB "
                          "from %ld MB to %ld MB.";
const char kBadCPUs[] = "@&!*@*@(msg.dialog.vmSettings.badCpus)A virtual machine has %ld or %ld processors.";
const char kNoRpc[] = "@&!*@*@(msg.dialog.vmSettings.noRpc)The settings cannot be sent to the host now.";
const char kResubmit[] = "@&!*@*@(msg.dialog.vmSettings.resubmit)The configuration of the virtual machine was "
                         "changed meanwhile. Look at the settings again and press OK once more.";

const WORD kStaticId = 0xFFFF;
const int kMaxNameChars = 255;
const int kMaxNotesChars = 16000;

std::map<cui::VM *, VMSettings *> &Instances()
{
   static std::map<cui::VM *, VMSettings *> instances;
   return instances;
}

// Edit controls want CR LF; the configuration keeps LF.
std::string WithCrLf(const std::string &text)
{
   std::string out;
   for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
         out += '\r';
      }
      out += text[i];
   }
   return out;
}

std::string WithoutCr(const std::string &text)
{
   std::string out;
   for (size_t i = 0; i < text.size(); ++i) {
      if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
         out += text[i];
      }
   }
   return out;
}

std::wstring W(const char *literal)
{
   return WideFromUtf8(cui::GetLocalString(literal));
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ChangedSettings(const VMSettingsValues &before,
                                                                 const VMSettingsValues &after,
                                                                 bool hardwareEditable)
{
   std::vector<std::pair<std::string, std::string>> changed;
   if (after.displayName != before.displayName) {
      changed.push_back({"displayName", after.displayName});
   }
   if (hardwareEditable && after.memoryMB != before.memoryMB) {
      changed.push_back({"memoryMB", std::to_string(after.memoryMB)});
   }
   if (hardwareEditable && after.cpuCount != before.cpuCount) {
      changed.push_back({"cpuCount", std::to_string(after.cpuCount)});
   }
   if (after.notes != before.notes) {
      changed.push_back({"annotation", after.notes});
   }
   return changed;
}

std::string CheckSettings(const VMSettingsValues &before, const VMSettingsValues &after, bool hardwareEditable)
{
   if (after.displayName.find_first_not_of(" \t") == std::string::npos) {
      return cui::GetLocalString(kNoName);
   }
   // A value the configuration already had is left to the host, even outside the limits.
   if (hardwareEditable && after.memoryMB != before.memoryMB &&
       (after.memoryMB < kMinMemoryMB || after.memoryMB > kMaxMemoryMB || after.memoryMB % kMemoryStepMB != 0)) {
      return cui::Format(kBadMemory, kMemoryStepMB, kMinMemoryMB, kMaxMemoryMB);
   }
   if (hardwareEditable && after.cpuCount != before.cpuCount && (after.cpuCount < 1 || after.cpuCount > kMaxCPUCount)) {
      return cui::Format(kBadCPUs, 1L, kMaxCPUCount);
   }
   return std::string();
}

// The window of the settings: laid out in code (the library has no resource module).
class CVMSettingsDlg : public CDialogImplBaseT<> {
public:
   explicit CVMSettingsDlg(VMSettings *settings) : settings_(settings) {}

   BEGIN_MSG_MAP(CVMSettingsDlg)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
   END_MSG_MAP()

   bool Create(HWND owner, const std::string &title);
   void Detach() { settings_ = nullptr; }

   VMSettingsValues GetValues() const;
   void SetName(const std::string &name) { SetText(VMSettings::kNameEdit, name); }
   void SetMemory(long memoryMB) { SetText(VMSettings::kMemoryEdit, std::to_string(memoryMB)); }
   void SetCPUs(long cpuCount);
   void SetNotes(const std::string &notes) { SetText(VMSettings::kNotesEdit, WithCrLf(notes)); }
   void SetHardwareEditable(bool editable);
   void SetBusy(bool busy);
   void SetTitle(const std::string &title) { ::SetWindowTextW(m_hWnd, WideFromUtf8(title).c_str()); }

   void OnFinalMessage(HWND) override;

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnOK(WORD, WORD, HWND, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);

   std::string GetText(int id) const;
   void SetText(int id, const std::string &text);

   VMSettings *settings_;
};

bool CVMSettingsDlg::Create(HWND owner, const std::string &title)
{
   INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
   InitCommonControlsEx(&controls);
   using cuiutil::DlgTemplate;
   DlgTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK, 240, 182, WideFromUtf8(title));
   t.AddItem(DlgTemplate::kStatic, kStaticId, W(kNameLabel), SS_LEFT | WS_VISIBLE, 7, 9, 52, 10);
   t.AddItem(DlgTemplate::kEdit, VMSettings::kNameEdit, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE | WS_GROUP,
             62, 7, 171, 12);
   t.AddItem(DlgTemplate::kStatic, kStaticId, W(kMemoryLabel), SS_LEFT | WS_VISIBLE, 7, 27, 52, 10);
   t.AddItem(DlgTemplate::kEdit, VMSettings::kMemoryEdit, L"",
             ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE | WS_GROUP, 62, 25, 50, 12);
   // Right after its edit, so that it takes the edit as its buddy.
   t.AddItem(UPDOWN_CLASSW, VMSettings::kMemorySpin, L"",
             UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | WS_VISIBLE, 0, 0, 0, 0);
   t.AddItem(DlgTemplate::kStatic, kStaticId,
             WideFromUtf8(cui::Format(kMemoryRange, kMinMemoryMB, kMaxMemoryMB, kMemoryStepMB)),
             SS_LEFT | WS_VISIBLE, 118, 27, 115, 10);
   t.AddItem(DlgTemplate::kStatic, kStaticId, W(kCPULabel), SS_LEFT | WS_VISIBLE, 7, 45, 52, 10);
   t.AddItem(L"ComboBox", VMSettings::kCPUCombo, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE | WS_GROUP,
             62, 43, 50, 60);
   t.AddItem(DlgTemplate::kStatic, VMSettings::kHardwareNote, W(kHardwareNote), SS_LEFT, 7, 61, 226, 18);
   t.AddItem(DlgTemplate::kStatic, kStaticId, W(kNotesLabel), SS_LEFT | WS_VISIBLE, 7, 82, 100, 10);
   t.AddItem(DlgTemplate::kEdit, VMSettings::kNotesEdit, L"",
             ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE | WS_GROUP,
             7, 93, 226, 62);
   t.AddItem(DlgTemplate::kButton, IDOK, W(kOK), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE | WS_GROUP, 129, 161, 50, 14);
   t.AddItem(DlgTemplate::kButton, IDCANCEL, W(kCancel), BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 183, 161, 50, 14);

   atl::detail::PushCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<> *>(this));
   HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, GetDialogProc(), 0);
   atl::detail::DiscardCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<> *>(this));
   if (!hwnd) {
      Warning("wui::dialog::VMSettings: the window could not be made (error %lu)\n",
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   return true;
}

LRESULT CVMSettingsDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   SendDlgItemMessageW(m_hWnd, VMSettings::kNameEdit, EM_LIMITTEXT, kMaxNameChars, 0);
   SendDlgItemMessageW(m_hWnd, VMSettings::kNotesEdit, EM_LIMITTEXT, kMaxNotesChars, 0);
   HWND spin = GetDlgItem(VMSettings::kMemorySpin);
   ::SendMessageW(spin, UDM_SETRANGE32, kMinMemoryMB, kMaxMemoryMB);
   UDACCEL step = {0, static_cast<UINT>(kMemoryStepMB)};
   ::SendMessageW(spin, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
   cuiutil::CenterOnOwner(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
   return TRUE;
}

LRESULT CVMSettingsDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->UnRegister(m_hWnd);
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CVMSettingsDlg::OnOK(WORD, WORD, HWND, BOOL &)
{
   if (settings_) {
      settings_->OnOK();
   }
   return 0;
}

LRESULT CVMSettingsDlg::OnCancel(WORD, WORD, HWND, BOOL &)
{
   // Not CWindow::DestroyWindow: it writes m_hWnd after the window's end may have deleted us.
   ::DestroyWindow(m_hWnd);
   return 0;
}

void CVMSettingsDlg::OnFinalMessage(HWND)
{
   // The object goes with the settings that own it.
   if (VMSettings *settings = settings_) {
      settings_ = nullptr;
      settings->OnWindowGone();
   }
}

std::string CVMSettingsDlg::GetText(int id) const
{
   return cuiutil::WindowText(::GetDlgItem(m_hWnd, id));
}

void CVMSettingsDlg::SetText(int id, const std::string &text)
{
   ::SetDlgItemTextW(m_hWnd, id, WideFromUtf8(text).c_str());
}

VMSettingsValues CVMSettingsDlg::GetValues() const
{
   VMSettingsValues values;
   values.displayName = GetText(VMSettings::kNameEdit);
   std::string memory = GetText(VMSettings::kMemoryEdit);
   char *end = nullptr;
   values.memoryMB = std::strtol(memory.c_str(), &end, 10);
   if (memory.empty() || *end != '\0') {
      values.memoryMB = -1;
   }
   values.cpuCount = std::strtol(GetText(VMSettings::kCPUCombo).c_str(), nullptr, 10);
   values.notes = WithoutCr(GetText(VMSettings::kNotesEdit));
   return values;
}

void CVMSettingsDlg::SetCPUs(long cpuCount)
{
   HWND combo = GetDlgItem(VMSettings::kCPUCombo);
   ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
   // A count beyond the choices, as a configuration may have, is shown as it is.
   long last = cpuCount > kMaxCPUCount ? cpuCount : kMaxCPUCount;
   for (long count = 1; count <= last; ++count) {
      if (count <= kMaxCPUCount || count == cpuCount) {
         ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(count).c_str()));
      }
   }
   ::SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                  reinterpret_cast<LPARAM>(std::to_wstring(cpuCount).c_str()));
}

void CVMSettingsDlg::SetHardwareEditable(bool editable)
{
   ::SendDlgItemMessageW(m_hWnd, VMSettings::kMemoryEdit, EM_SETREADONLY, editable ? FALSE : TRUE, 0);
   ::EnableWindow(GetDlgItem(VMSettings::kMemorySpin), editable);
   ::EnableWindow(GetDlgItem(VMSettings::kCPUCombo), editable);
   ::ShowWindow(GetDlgItem(VMSettings::kHardwareNote), editable ? SW_HIDE : SW_SHOWNA);
}

void CVMSettingsDlg::SetBusy(bool busy)
{
   ::EnableWindow(GetDlgItem(IDOK), !busy);
   for (int id : {VMSettings::kNameEdit, VMSettings::kMemoryEdit, VMSettings::kNotesEdit}) {
      ::SendDlgItemMessageW(m_hWnd, id, EM_SETREADONLY, busy ? TRUE : FALSE, 0);
   }
}


// ---- VMSettings ----

VMSettings *VMSettings::CreateInstance(cui::VM *vm)
{
   if (!vm) {
      return nullptr;
   }
   if (VMSettings *existing = Find(vm)) {
      return existing;
   }
   return new VMSettings(vm);
}

VMSettings *VMSettings::Find(cui::VM *vm)
{
   auto it = Instances().find(vm);
   return it == Instances().end() ? nullptr : it->second;
}

VMSettings::VMSettings(cui::VM *vm) : vm_(vm), dlg_(new CVMSettingsDlg(this))
{
   Instances()[vm] = this;
   connections_.push_back(vm->changed.connect(sigc::mem_fun(*this, &VMSettings::OnVMChanged)));
   connections_.push_back(vm->removed.connect(sigc::mem_fun(*this, &VMSettings::OnVMRemoved)));
   // A machine deleted without its `removed` (the manager going at exit) takes the settings along.
   vm->add_destroy_notify_callback(this, &VMSettings::OnVMDestroyed);
}

VMSettings::~VMSettings()
{
   for (sigc::connection &connection : connections_) {
      connection.disconnect();
   }
   if (vm_) {
      vm_->remove_destroy_notify_callback(this);
      Instances().erase(vm_);
   }
   dlg_->Detach();
   if (dlg_->m_hWnd) {
      ::DestroyWindow(dlg_->m_hWnd);
   }
   delete dlg_;
}

void *VMSettings::OnVMDestroyed(void *self)
{
   VMSettings *settings = static_cast<VMSettings *>(self);
   Instances().erase(settings->vm_);
   settings->vm_ = nullptr;
   delete settings;
   return nullptr;
}

HWND VMSettings::GetWindow() const
{
   return dlg_->m_hWnd;
}

VMSettingsValues VMSettings::ReadVM() const
{
   VMSettingsValues values;
   values.displayName = vm_->GetName();
   values.memoryMB = vm_->GetMemoryMB();
   values.cpuCount = vm_->GetCPUCount();
   values.notes = vm_->GetNotes();
   return values;
}

bool VMSettings::IsHardwareEditable() const
{
   return vm_ && vm_->GetPowerState() == cui::VM::POWERED_OFF;
}

void VMSettings::Show(int activate, HWND owner, int field)
{
   if (!dlg_->m_hWnd) {
      wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
      if (!owner && dlgMgr) {
         owner = dlgMgr->GetDefaultOwner();
      }
      if (!dlg_->Create(owner && ::IsWindow(owner) ? owner : nullptr, cui::Format(kTitle, vm_->GetName().c_str()))) {
         return;
      }
      shown_ = ReadVM();
      generationNo_ = vm_->GetGenerationNo();
      dlg_->SetName(shown_.displayName);
      dlg_->SetMemory(shown_.memoryMB);
      dlg_->SetCPUs(shown_.cpuCount);
      dlg_->SetNotes(shown_.notes);
      dlg_->SetHardwareEditable(IsHardwareEditable());
      if (dlgMgr) {
         dlgMgr->Register(dlg_->m_hWnd);
      }
   }
   HWND hwnd = dlg_->m_hWnd;
   if (!activate) {
      ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
      return;
   }
   ::ShowWindow(hwnd, SW_SHOW);
   ::SetForegroundWindow(hwnd);
   static const int kFields[] = {kNameEdit, kMemoryEdit, kCPUCombo, kNotesEdit};
   int id = kFields[field >= 0 && field < 4 ? field : 0];
   ::SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hwnd, id)), TRUE);
}

void VMSettings::Close()
{
   if (dlg_->m_hWnd) {
      ::DestroyWindow(dlg_->m_hWnd);   // the window's end deletes this
      return;
   }
   delete this;
}

void VMSettings::OnWindowGone()
{
   delete this;
}

void VMSettings::OnVMRemoved()
{
   Log("wui::dialog::VMSettings: %s was closed; its settings close\n", vm_ ? vm_->GetVmPath().c_str() : "");
   Close();
}

void VMSettings::OnVMChanged()
{
   if (!vm_ || !dlg_->m_hWnd) {
      return;
   }
   bool editable = IsHardwareEditable();
   dlg_->SetHardwareEditable(editable);
   VMSettingsValues now = ReadVM();
   VMSettingsValues typed = dlg_->GetValues();
   if (vm_->GetGenerationNo() != generationNo_) {
      // Fields the user has not touched follow the machine; typed ones are kept.
      if (typed.displayName == shown_.displayName) {
         dlg_->SetName(now.displayName);
      }
      if (typed.memoryMB == shown_.memoryMB) {
         dlg_->SetMemory(now.memoryMB);
      }
      if (typed.cpuCount == shown_.cpuCount) {
         dlg_->SetCPUs(now.cpuCount);
      }
      if (typed.notes == shown_.notes) {
         dlg_->SetNotes(now.notes);
      }
      shown_ = now;
      generationNo_ = vm_->GetGenerationNo();
      dlg_->SetTitle(cui::Format(kTitle, now.displayName.c_str()));
   }
   if (!editable) {
      // What cannot change while the machine runs shows what it has.
      dlg_->SetMemory(now.memoryMB);
      dlg_->SetCPUs(now.cpuCount);
   }
}

void VMSettings::OnOK()
{
   if (submitting_ || !vm_) {
      return;
   }
   bool editable = IsHardwareEditable();
   VMSettingsValues typed = dlg_->GetValues();
   std::string problem = CheckSettings(shown_, typed, editable);
   if (!problem.empty()) {
      ShowError(problem);
      return;
   }
   std::vector<std::pair<std::string, std::string>> changed = ChangedSettings(shown_, typed, editable);
   if (changed.empty()) {
      Close();
      return;
   }
   vmdbLayout::rpc::Mgr *rpcMgr = cui::GetRpcMgr();
   if (!rpcMgr) {
      ShowError(cui::GetLocalString(kNoRpc));
      return;
   }
   try {
      vmdbLayout::rpc::Req req = rpcMgr->NewReq(vm_->GetVmPath() + "vmx/cfgState/req/#");
      req["val/generationNo"] = generationNo_;
      for (const auto &value : changed) {
         req["val/" + value.first] = value.second;
      }
      req->done.connect(sigc::mem_fun(*this, &VMSettings::OnSubmitted));
      req->abort.connect(sigc::mem_fun(*this, &VMSettings::OnSubmitFailed));
      req->resubmit.connect(
         sigc::bind(sigc::mem_fun(*this, &VMSettings::OnSubmitFailed), false, cui::Error(cui::GetLocalString(kResubmit))));
      Log("wui::dialog::VMSettings: %u settings of %s sent\n", static_cast<unsigned>(changed.size()), vm_->GetVmPath().c_str());
      submitting_ = true;
      dlg_->SetBusy(true);
      req->Invoke();
   } catch (const cui::Error &e) {
      OnSubmitFailed(false, e);
   }
}

void VMSettings::OnSubmitted()
{
   submitting_ = false;
   Close();
}

void VMSettings::OnSubmitFailed(bool cancelled, cui::Error error)
{
   submitting_ = false;
   if (dlg_->m_hWnd) {
      dlg_->SetBusy(false);
      dlg_->SetHardwareEditable(IsHardwareEditable());
   }
   if (!cancelled) {
      Warning("wui::dialog::VMSettings: the settings were not applied: %s\n", error.what());
      ShowError(error.what());
   }
}

void VMSettings::ShowError(const std::string &text)
{
   std::string title = dlg_->m_hWnd ? cui::Format(kTitle, vm_ ? vm_->GetName().c_str() : "") : std::string();
   wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
   if (!dlgMgr || !dlgMgr->NewError(text, title)) {
      Warning("wui::dialog::VMSettings: %s\n", text.c_str());
   }
}

}  // namespace dialog
}  // namespace wui
