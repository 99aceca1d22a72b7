// The application's modal state, its message box and the error boxes.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <cstdio>

namespace {

const HRESULT kNoErrorInfo = static_cast<HRESULT>(0x8004012C);
const HRESULT kNoPermission = static_cast<HRESULT>(0x80040125);

void NotifyModal(IVmdbContextPtr ctx, const std::string &objPath, bool modal)
{
   TremAppUtil_SetModalState(ctx, WideFromUtf8(objPath).c_str(), modal);
}

}  // namespace

std::string CZOLTApp::GetCurrentObjPath() const
{
   wui::Prefs *prefs = wui::GetPrefs();
   return prefs ? prefs->GetCurrentObjPath() : std::string();
}

void CZOLTApp::SetModalState(bool modal)
{
   NotifyModal(ctx_, GetCurrentObjPath(), modal);
}

void CZOLTApp::BeginModal(sigc::slot_base &restore)
{
   std::string objPath = GetCurrentObjPath();
   NotifyModal(ctx_, objPath, true);
   restore = sigc::slot<void>(sigc::bind(&NotifyModal, ctx_, objPath, false));
   restore.unblock();
}

int CZOLTApp::MessageBox(const char *text, UINT flags)
{
   sigc::slot<void> restore;
   BeginModal(restore);
   HWND owner = GetFrameWindow();
   if (owner && !::IsWindow(owner)) {
      owner = nullptr;
   }
   int answer = MessageBoxUtf8(owner, text ? text : "", windowTitle_, flags);
   Guard(restore);
   return answer;
}

int CZOLTApp::MessageBoxRes(UINT stringId, UINT flags)
{
   return MessageBox(LoadResString(stringId).c_str(), flags);
}

void CZOLTApp::OnCaptureMovieDone(bool cancelled, cui::Error error)
{
   if (cancelled) {
      return;
   }
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   if (!vmMgr || !vmMgr->GetVMByVMPath(GetCurrentObjPath())) {
      return;
   }
   std::string text = cui::Format("%s: %s.", LoadResString(IDS_CAPTURE_MOVIE_FAILED).c_str(), error.what());
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->NewError(text, "");
   }
}

std::string ErrorBoxText(const std::string &text, int resId, const std::string &detail)
{
   if (resId == -1) {
      return text;
   }
   tremapputil::ResString res(static_cast<UINT>(resId));
   return detail.empty() ? res.Format({text, std::string()}) : res.Format({detail, text});
}

std::string ComErrorText(HRESULT code, const std::string &description)
{
   if (code == kNoErrorInfo) {
      return description;
   }
   if (description.empty()) {
      return tremapputil::ResString(IDS_UNKNOWN_ERROR).Format({static_cast<unsigned long>(code)});
   }
   char buffer[1024];
   snprintf(buffer, sizeof(buffer), "%s (0x%x)", description.c_str(), static_cast<unsigned>(code));
   return buffer;
}

void ReportError(const _bstr_t &text, int resId, const _bstr_t &detail)
{
   const std::string message = ErrorBoxText(zoltdb::Text(text), resId, zoltdb::Text(detail));
   Warning("%s\n", message.c_str());
   if (!gApp || !gApp->GetVMMsg()) {
      return;
   }
   IVMMsgPtr msg = gApp->GetVMMsg();
   msg->SetOwner(::GetActiveWindow());
   msg->Message(_bstr_t(message.c_str()), _bstr_t(gApp->GetWindowTitle().c_str()), _bstr_t("ok"), _bstr_t("error"));
   msg->SetOwner(gApp->GetFrameWindow());
}

void ReportComError(const _com_error &error, int resId, const _bstr_t &detail)
{
   _bstr_t description = error.Description();
   const HRESULT code = error.Error();
   if (code == kNoPermission) {
      ReportError(_bstr_t(LoadResString(IDS_NO_PERMISSION).c_str()), -1, _bstr_t());
      return;
   }
   std::string text = ComErrorText(code, zoltdb::Text(description));
   ReportError(_bstr_t(text.c_str()), resId, detail);
}

void ReportCommandError(const _bstr_t &cmdPath, int resId, const _bstr_t &detail)
{
   _bstr_t text;
   try {
      IVmdbContextPtr ctx = gApp ? gApp->GetContext() : IVmdbContextPtr();
      if (!ctx) {
         _com_issue_error(E_POINTER);
      }
      text = _bstr_t(ctx->ReadValue(cmdPath + "../../status/error/errMsg/"));
   } catch (const _com_error &e) {
      Warning("Couldn't get error information for command %s: %s\n", zoltdb::Text(cmdPath).c_str(),
              zoltdb::Text(e.Description()).c_str());
      return;
   }
   ReportError(text, resId, detail);
}

void OnOpenFileDone(bool cancelled, cui::Error, const std::string &path)
{
   if (cancelled) {
      return;
   }
   std::string text = tremapputil::ResString(IDS_OPEN_FILE_UNKNOWN_FORMAT).Format({path});
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->NewError(text, "");
   }
}
