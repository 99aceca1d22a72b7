// Completion reports: the abort slots and settings completions that turn a failure into the
// application's error box, and the runner of the update-check dialog.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltGuard.h"
#include "zoltWebCheck.h"

#include "cui/LocalizedString.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"

#include <cstdio>

namespace {

// The host or the preferences changed while their settings window was open.
const HRESULT kChangedMeanwhile = static_cast<HRESULT>(0x80040114);

// The error box of a settings completion; nothing on success.
void ReportSettingsSaved(HRESULT result, int templateId, UINT changedMeanwhileText)
{
   if (SUCCEEDED(result)) {
      return;
   }
   std::string text;
   if (result == kChangedMeanwhile) {
      text = tremapputil::ResString(changedMeanwhileText).Format();
   } else {
      char code[256];
      snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(result));
      text = code;
   }
   ReportError(_bstr_t(text.c_str()), templateId, _bstr_t(""));
}

}  // namespace

void CZOLTApp::OnHostSettingsSaved(BSTR, HRESULT result)
{
   ReportSettingsSaved(result, IDS_SAVE_SETTINGS_FAILED, IDS_HOST_SETTINGS_CHANGED);
}

void CZOLTApp::OnPrefsSaved(BSTR, HRESULT result)
{
   ReportSettingsSaved(result, IDS_SAVE_PREFS_FAILED, IDS_PREFS_CHANGED);
}

void CZOLTApp::OnOperationAborted(bool cancelled, cui::Error error)
{
   if (cancelled) {
      return;
   }
   // The template ends the text with a period; a text that is a sentence already goes as it is.
   const std::string text = cui::SanitizeMessage(error.what());
   const bool sentence = !text.empty() && (text.back() == '.' || text.back() == '!' || text.back() == '?');
   ReportError(_bstr_t(text.c_str()), sentence ? -1 : IDS_OPERATION_FAILED, _bstr_t(""));
}

void CZOLTApp::ReportFailureWithTemplate(bool cancelled, cui::Error error, int templateId)
{
   if (cancelled) {
      return;
   }
   ReportError(_bstr_t(error.what()), templateId, _bstr_t(""));
}

void CZOLTApp::ShowWebCheckDialog()
{
   if (webCheckDialogOpen_) {
      return;
   }
   webCheckDialogOpen_ = true;
   CZOLTWebCheck dialog(db_);
   Guard([this, &dialog]() { dialog.DoModal(GetFrameWindow()); });
   webCheckDialogOpen_ = false;
}
