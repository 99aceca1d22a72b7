#include "PageFields.h"

#include <shlobj.h>

#include "tremappcfg/TremAppCfgRes.h"
#include "tremorybase/Text.h"

namespace tremappcfg {

namespace {

const char kHostRoot[] = "/host2/";

const std::vector<FieldChoice> kSwapChoices = {
   {"fit", IDS_CFG_SWAP_FIT}, {"some", IDS_CFG_SWAP_SOME}, {"most", IDS_CFG_SWAP_MOST}};
const std::vector<FieldChoice> kGrabbedPriorities = {{"normal", IDS_CFG_PRIORITY_NORMAL},
                                                      {"high", IDS_CFG_PRIORITY_HIGH}};
const std::vector<FieldChoice> kUngrabbedPriorities = {{"normal", IDS_CFG_PRIORITY_NORMAL},
                                                        {"low", IDS_CFG_PRIORITY_LOW}};
const std::vector<FieldChoice> kHotKeys = {{"ctrl-alt", IDS_CFG_HOTKEY_CTRL_ALT},
                                           {"ctrl-shift-alt", IDS_CFG_HOTKEY_CTRL_SHIFT_ALT},
                                           {"ctrl-shift", IDS_CFG_HOTKEY_CTRL_SHIFT}};

// The workspace fields both workspace pages share.
const Field kShowTabs = {IDC_CFG_SHOW_TABS, FieldKind::Check, "zolt/view/tabs", "1", {}};
const Field kQuickSwitch = {IDC_CFG_QUICK_SWITCH, FieldKind::Check, "zolt/view/quickSwitchEnabled", "1", {}};
const Field kTips = {IDC_CFG_TIPS, FieldKind::Check, "zolt/tip/startup", "0", {}};
const Field kHints = {IDC_CFG_HINTS, FieldKind::Check, "zolt/hints/showEnabled", "0", {}};

std::vector<PageSpec> BuildPages()
{
   std::vector<PageSpec> pages;
   pages.push_back({L"tremappcfg.GlbGeneral.9", IDD_CFG_GLB_GENERAL, PageState::Host,
                    {{IDC_CFG_VM_FOLDER, FieldKind::Folder, "defaultVmPath", "", {}},
                     {IDC_CFG_TOOLS_UPGRADE, FieldKind::Check, "tools/autoUpgrade", "0", {}}}});
   pages.push_back({L"tremappcfg.GlbMemory.9", IDD_CFG_GLB_MEMORY, PageState::Host,
                    {{IDC_CFG_MEMORY_MAX, FieldKind::Number, "memory/max", "", {}},
                     {IDC_CFG_MEMORY_SWAP, FieldKind::Choice, "memory/swap", "some", kSwapChoices}},
                    true});
   pages.push_back({L"tremappcfg.GlbPriority.9", IDD_CFG_GLB_PRIORITY, PageState::Host,
                    {{IDC_CFG_PRIORITY_GRABBED, FieldKind::Choice, "priority/grabbed", "normal", kGrabbedPriorities},
                     {IDC_CFG_PRIORITY_UNGRABBED, FieldKind::Choice, "priority/ungrabbed", "normal",
                      kUngrabbedPriorities}}});
   pages.push_back({L"tremappcfg.GlbDevices.9", IDD_CFG_GLB_DEVICES, PageState::Host,
                    {{IDC_CFG_AUTORUN, FieldKind::Check, "devices/disableAutorun", "1", {}},
                     {IDC_CFG_USB_CONNECT, FieldKind::Check, "devices/usbAutoConnect", "1", {}}}});
   pages.push_back({L"tremappcfg.GlbConnections.9", IDD_CFG_GLB_CONNECTIONS, PageState::Host,
                    {{IDC_CFG_PORT, FieldKind::Number, "connections/port", "4030", {}},
                     {IDC_CFG_REMOTE, FieldKind::Check, "connections/remoteAllowed", "0", {}}}});
   pages.push_back({L"tremappcfg.PropLockout.9", IDD_CFG_PROP_LOCKOUT, PageState::Host,
                    {{IDC_CFG_LOCK_CREATE, FieldKind::Check, "policy/lockoutCreateVM", "0", {}},
                     {IDC_CFG_LOCK_EDIT, FieldKind::Check, "policy/lockoutEditVM", "0", {}}}});
   pages.push_back({L"tremappcfg.PrefWorkspace.9", IDD_CFG_PREF_WORKSPACE, PageState::Prefs,
                    {{IDC_CFG_SAVE_TABS, FieldKind::Check, "zolt/saveOpenedObjs", "0", {}}, kShowTabs, kQuickSwitch,
                     kTips, kHints}});
   pages.push_back({L"tremappcfg.PrefWorkspaceConsole.9", IDD_CFG_PREF_WORKSPACE_CONSOLE, PageState::Prefs,
                    {kShowTabs, kQuickSwitch, kTips, kHints,
                     {IDC_CFG_BACKGROUND, FieldKind::Check, "zolt/backgroundOnClose", "0", {}},
                     {IDC_CFG_TRAY, FieldKind::Check, "zolt/trayIcon/enabled", "0", {}}}});
   pages.push_back({L"tremappcfg.PrefInput.9", IDD_CFG_PREF_INPUT, PageState::Prefs,
                    {{IDC_CFG_GRAB_CLICK, FieldKind::Check, "zolt/input/grabOnClick", "1", {}},
                     {IDC_CFG_GRAB_HOVER, FieldKind::Check, "zolt/input/grabOnHover", "0", {}},
                     {IDC_CFG_UNGRAB_LEAVE, FieldKind::Check, "zolt/input/ungrabOnLeave", "1", {}}}});
   pages.push_back({L"tremappcfg.PrefHotKeys.9", IDD_CFG_PREF_HOTKEYS, PageState::Prefs,
                    {{IDC_CFG_HOTKEY, FieldKind::Choice, "zolt/hotkeys/modifiers", "ctrl-alt", kHotKeys}}});
   pages.push_back({L"tremappcfg.PrefAutoFit.9", IDD_CFG_PREF_AUTOFIT, PageState::Prefs,
                    {{IDC_CFG_AUTOFIT_WINDOW, FieldKind::Check, "zolt/view/autofitWindow", "0", {}},
                     {IDC_CFG_AUTOFIT_GUEST, FieldKind::Check, "zolt/view/autofitGuest", "0", {}}}});
   pages.push_back({L"tremappcfg.PrefTools.9", IDD_CFG_PREF_TOOLS, PageState::Prefs,
                    {{IDC_CFG_CHECK_UPDATES, FieldKind::Check, "zolt/tools/checkUpdates", "1", {}}}});
   return pages;
}

std::string WithSlash(std::string path)
{
   if (!path.empty() && path.back() != '/') {
      path += '/';
   }
   return path;
}

bool IsNumber(const std::string &text)
{
   return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool IsChoice(const Field &field, const std::string &value)
{
   for (const FieldChoice &choice : field.choices) {
      if (value == choice.value) {
         return true;
      }
   }
   return false;
}

// A stored value as the field shows it; empty when the value is nothing the field can show.
std::string Normalized(const Field &field, const std::string &text)
{
   switch (field.kind) {
   case FieldKind::Check:
      return text.empty() ? text : IsTrueText(text) ? "1" : "0";
   case FieldKind::Choice:
      return IsChoice(field, text) ? text : std::string();
   case FieldKind::Number:
   case FieldKind::Folder:
      break;
   }
   return text;
}

}  // namespace

const std::vector<PageSpec> &AllPages()
{
   static const std::vector<PageSpec> pages = BuildPages();
   return pages;
}

const PageSpec *FindPage(const std::wstring &progId)
{
   for (const PageSpec &page : AllPages()) {
      if (_wcsicmp(page.progId, progId.c_str()) == 0) {
         return &page;
      }
   }
   return nullptr;
}

std::string StateOfElement(const std::string &element)
{
   std::string path = WithSlash(element);
   size_t req = path.rfind("/req/#");
   if (req == std::string::npos || path.find('/', req + 5) != path.size() - 1) {
      return std::string();
   }
   return path.substr(0, req + 1);
}

bool ElementBelongsTo(PageState state, const std::string &element)
{
   std::string statePath = StateOfElement(element);
   const std::string name = state == PageState::Host ? "/settingsState/" : "/prefState/";
   if (statePath.size() < name.size() || statePath.compare(statePath.size() - name.size(), name.size(), name) != 0) {
      return false;
   }
   // Host settings belong to a host node; the preferences to the user's subtree.
   return state == PageState::Host ? !HostOfElement(element).empty() : statePath == "/user/prefState/";
}

std::string HostOfElement(const std::string &element)
{
   const std::string root = kHostRoot;
   if (element.compare(0, root.size(), root) != 0) {
      return std::string();
   }
   size_t end = element.find('/', root.size());
   return end == std::string::npos ? std::string() : element.substr(0, end + 1);
}

bool IsTrueText(const std::string &text)
{
   return !text.empty() && text != "0" && text != "false" && text != "FALSE";
}

std::string ValueText(const _variant_t &value)
{
   if (value.vt == VT_BOOL) {
      return value.boolVal != VARIANT_FALSE ? "1" : "0";
   }
   if (value.vt == VT_EMPTY || value.vt == VT_NULL) {
      return std::string();
   }
   _bstr_t text(value);
   return Utf8FromBstr(text.GetBSTR());
}

std::string ReadField(IVmdbContext *ctx, const std::string &element, const Field &field)
{
   const std::string key = std::string("val/") + field.key;
   std::string value = Normalized(field, ValueText(ctx->ReadValue((WithSlash(element) + key).c_str())));
   std::string state = StateOfElement(element);
   if (value.empty() && !state.empty()) {
      value = Normalized(field, ValueText(ctx->ReadValue((state + key).c_str())));
   }
   if (value.empty() && field.kind == FieldKind::Folder) {
      value = DefaultMachineFolder();
   }
   return value.empty() ? field.defaultValue : value;
}

FieldValues ReadFields(IVmdbContext *ctx, const std::string &element, const PageSpec &page)
{
   FieldValues values;
   for (const Field &field : page.fields) {
      values[field.control] = ReadField(ctx, element, field);
   }
   return values;
}

int FindRefusedField(const PageSpec &page, const FieldValues &values, UINT &reasonId)
{
   for (const Field &field : page.fields) {
      auto it = values.find(field.control);
      const std::string value = it == values.end() ? std::string() : it->second;
      if (field.kind == FieldKind::Number && !IsNumber(value)) {
         reasonId = IDS_CFG_NOT_A_NUMBER;
         return field.control;
      }
      if (field.kind == FieldKind::Folder && value.find_first_not_of(" \t") == std::string::npos) {
         reasonId = IDS_CFG_EMPTY_FOLDER;
         return field.control;
      }
   }
   reasonId = 0;
   return 0;
}

int WriteChanged(IVmdbContext *ctx, const std::string &element, const PageSpec &page, const FieldValues &shown,
                 const FieldValues &values)
{
   int written = 0;
   for (const Field &field : page.fields) {
      auto now = values.find(field.control);
      if (now == values.end()) {
         continue;
      }
      auto before = shown.find(field.control);
      if (before != shown.end() && before->second == now->second) {
         continue;
      }
      const std::string path = WithSlash(element) + "val/" + field.key;
      ctx->WriteValue(path.c_str(), _variant_t(WideFromUtf8(now->second).c_str()));
      ++written;
   }
   return written;
}

std::string DefaultMachineFolder()
{
   wchar_t documents[MAX_PATH] = L"";
   if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
      return std::string();
   }
   return Utf8FromWide(std::wstring(documents) + L"\\Machines");
}

long HostMemoryMB(IVmdbContext *ctx, const std::string &hostPath)
{
   long memory = 0;
   if (ctx && !hostPath.empty()) {
      std::string text = ValueText(ctx->ReadValue((WithSlash(hostPath) + "info/memoryMB").c_str()));
      memory = IsNumber(text) ? std::stol(text) : 0;
   }
   if (memory <= 0) {
      MEMORYSTATUSEX status = {};
      status.dwLength = sizeof status;
      if (GlobalMemoryStatusEx(&status)) {
         memory = static_cast<long>(status.ullTotalPhys / (1024 * 1024));
      }
   }
   return memory;
}

}  // namespace tremappcfg
