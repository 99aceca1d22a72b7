#include "cui/ConvertHardware.h"

#include "DlgTemplate.h"
#include "ModelCmd.h"
#include "cui/DlgMgr.h"
#include "cui/HardwareVersion.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace wui {
namespace wizard {

namespace {

const char kTitle[] = "@&!*@*@(msg.wizard.convertHardware.title)Upgrade Virtual Hardware - %s";
const char kChange[] =
   "@&!*@*@(msg.wizard.convertHardware.change)The virtual hardware of \"%s\" is %s. Upgrading "
   "makes it %s.";
const char kWarning[] =
   "@&!*@*@(msg.wizard.convertHardware.warning)A virtual machine with upgraded hardware cannot "
   "be run by the product releases before it, and the upgrade cannot be undone. Upgrade now?";
const char kUpgrade[] = "@&!*@*@(msg.wizard.convertHardware.upgrade)&Upgrade";
const char kCancel[] = "@&!*@*@(msg.button.cancel)Cancel";

std::wstring W(const char *literal)
{
   return WideFromUtf8(cui::GetLocalString(literal));
}

// Bound to no object: the answer comes after the page has gone.
void OnUpgradeAnswer(std::string error, cuiutil::ModelCmd::Outputs, std::string cfgPath,
                     ConvertHardware::ConvertedSlot converted)
{
   if (error.empty()) {
      Log("wui::wizard::ConvertHardware: %s upgraded\n", cfgPath.c_str());
      cui::CallSlot(converted, cfgPath);
      return;
   }
   Warning("wui::wizard::ConvertHardware: %s: %s\n", cfgPath.c_str(), error.c_str());
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->NewError(error, std::string());
   }
}

}  // namespace

std::unique_ptr<ConvertHardware> ConvertHardware::CreateInstance(cui::VM *vm)
{
   return std::unique_ptr<ConvertHardware>(vm ? new ConvertHardware(vm) : nullptr);
}

std::string ConvertHardware::ChangeText(cui::VM *vm)
{
   cui::HardwareVersion now(vm->GetHardwareVersion(), vm->GetProductCompat());
   cui::HardwareVersion after(cui::HardwareVersion::kNewest, 0);
   return cui::Format(kChange, vm->GetName().c_str(), now.GetVMVersionDescription().c_str(),
                      after.GetVMVersionDescription().c_str());
}

bool ConvertHardware::DoModal(HWND owner, int, bool center, int, const ConvertedSlot &converted)
{
   if (!owner) {
      wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
      owner = dlgMgr ? dlgMgr->GetDefaultOwner() : nullptr;
   }
   center_ = center;
   // The machine may be closed while the page is up: what the request needs is taken now.
   const std::string vmPath = vm_->GetVmPath();
   const std::string cfgPath = vm_->GetFilename();
   using cuiutil::DlgTemplate;
   DlgTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK, 260, 100,
                 WideFromUtf8(cui::Format(kTitle, vm_->GetName().c_str())));
   t.AddItem(DlgTemplate::kStatic, kChangeText, WideFromUtf8(ChangeText(vm_)), SS_LEFT | WS_VISIBLE, 7, 7, 246, 30);
   t.AddItem(DlgTemplate::kStatic, kWarningText, W(kWarning), SS_LEFT | WS_VISIBLE, 7, 40, 246, 30);
   t.AddItem(DlgTemplate::kButton, IDOK, W(kUpgrade), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE | WS_GROUP, 149, 79,
             50, 14);
   t.AddItem(DlgTemplate::kButton, IDCANCEL, W(kCancel), BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 203, 79, 50, 14);
   INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, &ConvertHardware::DialogProc,
                                            reinterpret_cast<LPARAM>(this));
   if (answer != IDOK) {
      if (answer == -1) {
         Warning("wui::wizard::ConvertHardware: the page could not be made (error %lu)\n",
                 static_cast<unsigned long>(GetLastError()));
      }
      return false;
   }
   try {
      cuiutil::ModelCmd::Send(cui::GetVmdbCtx(), vmPath + "cmd/##/", "upgradeHardware",
                              {{"version", std::to_string(cui::HardwareVersion::kNewest)}}, {},
                              sigc::bind(&OnUpgradeAnswer, cfgPath, converted));
   } catch (const cui::Error &e) {
      OnUpgradeAnswer(e.what(), cuiutil::ModelCmd::Outputs(), cfgPath, converted);
      return false;
   }
   return true;
}

INT_PTR CALLBACK ConvertHardware::DialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
   switch (msg) {
      case WM_INITDIALOG: {
         auto *self = reinterpret_cast<ConvertHardware *>(lParam);
         HWND owner = GetWindow(dlg, GW_OWNER);
         RECT box;
         RECT area;
         if (self->center_ && owner && GetWindowRect(dlg, &box) && GetWindowRect(owner, &area)) {
            int width = box.right - box.left;
            int height = box.bottom - box.top;
            SetWindowPos(dlg, nullptr, area.left + (area.right - area.left - width) / 2,
                         area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
         }
         return TRUE;
      }
      case WM_COMMAND:
         if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dlg, LOWORD(wParam));
            return TRUE;
         }
         return FALSE;
      default:
         return FALSE;
   }
}

}  // namespace wizard
}  // namespace wui
