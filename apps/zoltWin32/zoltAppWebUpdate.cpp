// The update check: at start-up, every 24 hours on timer 123, and from the Help menu. The answer
// is recorded in "/appdata/Tremory/zolt/webUpdate/"; an available update always opens the update
// dialog, no update and failures only when the user asked.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltWebCheck.h"

#include "cui/AppDataPaths.h"
#include "cui/WebLink.h"
#include "cui/WebUpdate.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/ScopeGuard.h"

#include <cstdlib>

namespace {

const char kMaker[] = "Tremory";

_bstr_t RecordPath(const char *field)
{
   return _bstr_t(cui::appdata::kWebUpdate) + "/" + field;
}

}  // namespace

void BuildWebUpdateErrorText(std::string &text)
{
   const std::string server = Config_GetString("webUpdate.proxy.server", "");
   const std::string port = Config_GetString("webUpdate.proxy.port", "");
   const std::string title = CZOLTApp::GetAppTitle();
   if (!server.empty() && !port.empty()) {
      text = tremapputil::ResString(IDS_WEBUPDATE_ERROR_PROXY).Format({title, kMaker, server, port});
      return;
   }
   char *link = weblink::Lookup(weblink::LINK_UPDATE_HELP, false);
   text = tremapputil::ResString(IDS_WEBUPDATE_ERROR).Format({title, kMaker, link ? link : ""});
   free(link);
}

void CZOLTApp::StartWebUpdateCheck(bool interactive)
{
   if (webUpdateUnderWay_) {
      // The check under way answers this request too; a timer that fires meanwhile starts nothing.
      webUpdateAskedMeanwhile_ = webUpdateAskedMeanwhile_ || interactive;
      Log("CZOLTApp::StartWebUpdateCheck: a check is under way\n");
      return;
   }
   if (HWND frame = GetFrameWindow()) {
      ::SetTimer(frame, kWebUpdateTimer, kWebUpdatePeriodMs, &CZOLTApp::OnWebUpdateTimer);
   }
   webUpdateUnderWay_ = true;
   webUpdateAskedMeanwhile_ = false;
   cui::AbortSlot onError = sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnWebUpdateError), interactive);
   cui::WebUpdate::ResultSlot onResult = sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnWebUpdateResult), interactive);
   cui::WebUpdate::Check(wui::util::GetWebUpdateProduct(), interactive, onError, onResult);
}

void CZOLTApp::OnWebUpdateResult(bool available, std::string info, std::string message, std::string url,
                                 bool interactive)
{
   ScopeGuard finished([this]() { webUpdateUnderWay_ = false; });
   interactive = interactive || webUpdateAskedMeanwhile_;
   if (available) {
      ctx_->WriteValue(RecordPath("updateAvailable"), _variant_t("yes"));
      ctx_->WriteValue(RecordPath("url"), _variant_t(url.c_str()));
      ctx_->WriteValue(RecordPath("info"), _variant_t(info.c_str()));
      ctx_->WriteValue(RecordPath("message"), _variant_t(message.c_str()));
   } else {
      ctx_->WriteValue(RecordPath("updateAvailable"), _variant_t("no"));
   }
   if (available || interactive) {
      ShowWebCheckDialog();
   }
}

void CZOLTApp::OnWebUpdateError(bool cancelled, cui::Error error, bool interactive)
{
   ScopeGuard finished([this]() { webUpdateUnderWay_ = false; });
   interactive = interactive || webUpdateAskedMeanwhile_;
   if (cancelled) {
      return;
   }
   Log("CZOLTApp::OnWebUpdateError: %s\n", error.what());
   ctx_->WriteValue(RecordPath("updateAvailable"), _variant_t("error"));
   if (!interactive) {
      return;
   }
   std::string text;
   BuildWebUpdateErrorText(text);
   if (MessageBox(text.c_str(), MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDRETRY) {
      // The retry is a check of its own: this one ends first.
      finished.Dismiss();
      webUpdateUnderWay_ = false;
      StartWebUpdateCheck(true);
   }
}
