// The host settings and preferences windows: property frames over the settings pages, each
// submitting the request element its pages filled and following it until the owner answers.
#include "zoltApp.h"

#include "zoltAppSettings.h"
#include "zoltGuard.h"
#include "zoltResources.h"

#include "cui/Host.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "res/resource.h"
#include "tremappcfg/TremAppCfg.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <cstdlib>
#include <memory>

namespace zoltsettings {

namespace {

const wchar_t kGlbGeneral[] = L"tremappcfg.GlbGeneral.9";
const wchar_t kGlbMemory[] = L"tremappcfg.GlbMemory.9";
const wchar_t kGlbPriority[] = L"tremappcfg.GlbPriority.9";
const wchar_t kGlbDevices[] = L"tremappcfg.GlbDevices.9";
const wchar_t kGlbConnections[] = L"tremappcfg.GlbConnections.9";
const wchar_t kPropLockout[] = L"tremappcfg.PropLockout.9";

}  // namespace

std::vector<const wchar_t *> HostSettingsPages(bool remoteMode)
{
   if (remoteMode) {
      return {kGlbGeneral, kGlbMemory, kGlbPriority, kGlbDevices, kGlbConnections};
   }
   return {kGlbMemory, kGlbPriority, kGlbDevices, kPropLockout};
}

std::vector<const wchar_t *> PreferencePages(bool remoteMode, bool withHostPages)
{
   std::vector<const wchar_t *> pages = {
      remoteMode ? L"tremappcfg.PrefWorkspaceConsole.9" : L"tremappcfg.PrefWorkspace.9", L"tremappcfg.PrefInput.9",
      L"tremappcfg.PrefHotKeys.9", L"tremappcfg.PrefAutoFit.9", L"tremappcfg.PrefTools.9"};
   if (withHostPages) {
      for (const wchar_t *page : HostSettingsPages(false)) {
         pages.push_back(page);
      }
   }
   return pages;
}

}  // namespace zoltsettings

namespace {

const char kSettingsQueue[] = "settingsState/req/#";
const char kSettingsReq[] = "/settingsState/req/#";
const HRESULT kChangedMeanwhile = static_cast<HRESULT>(0x80040114);

// Lowers the modal state on every way out of a settings window.
class ModalScope {
public:
   explicit ModalScope(CZOLTApp &app) { app.BeginModal(restore_); }
   ~ModalScope() { Guard(restore_); }
   ModalScope(const ModalScope &) = delete;
   ModalScope &operator=(const ModalScope &) = delete;

private:
   sigc::slot<void> restore_;
};

// One state's request element on a context of its own, from the wait for other submissions to
// the submission or the cancel. A request that is not submitted leaves no batch open and, when
// it appended its element, no element behind.
class SettingsRequest {
public:
   // A new element of the host's "settingsState/req/#".
   SettingsRequest(const IVmdbDatabasePtr &db, const std::string &hostPath) : ctx_(db->NewContext()), owned_(true)
   {
      ctx_->ChangePath(hostPath.c_str());
      element_ = ctx_->FullPath(ctx_->AppendElement(kSettingsQueue));
   }
   // The application's own, lasting element (the preferences).
   SettingsRequest(const IVmdbDatabasePtr &db, const char *element)
      : ctx_(db->NewContext()), element_(element), owned_(false)
   {
   }
   ~SettingsRequest()
   {
      try {
         Drop();
      } catch (const _com_error &e) {
         Warning("CZOLTApp: the settings request %s was not dropped: 0x%08lx\n", Utf8FromBstr(element_).c_str(),
                 static_cast<unsigned long>(e.Error()));
      }
   }

   IVmdbContextPtr GetContext() const { return ctx_; }
   const _bstr_t &GetElement() const { return element_; }

   // Waits for another client's pending submission to be taken; true when none is pending then.
   // The test runs inside the batch it opens, so no submission slips in between.
   bool OpenIfIdle()
   {
      ctx_->ChangePath(element_);
      ctx_->WaitUntilChanged(L"../../new", _variant_t(L""), VARIANT_TRUE, zoltsettings::kPendingWaitMs);
      ctx_->OpenBatch();
      batchOpen_ = true;
      return ctx_->TestNode(L"../../new") == VARIANT_FALSE;
   }

   // Submits the element: "new" names it, the application's messages follow it, and `handler`
   // hears of its outcome.
   void Submit(CZOLTApp &app, void (CZOLTApp::*handler)(BSTR))
   {
      ctx_->ChangePath(element_);
      // An outcome of an earlier submission of the same element is not this one's.
      ctx_->RemoveNode(L"status", VARIANT_TRUE);
      ctx_->WriteValue(L"../../new", _variant_t(element_));
      if (IVMMsgPtr msg = app.GetVMMsg()) {
         HRESULT hr = msg->raw_FollowRequest(element_);
         if (FAILED(hr)) {
            Warning("CZOLTApp: the messages do not follow %s: 0x%08lx\n", Utf8FromBstr(element_).c_str(),
                    static_cast<unsigned long>(hr));
         }
      }
      HRESULT hr = app.CtxWatch(element_, 1, handler);
      if (FAILED(hr)) {
         Warning("CZOLTApp: the outcome of %s cannot be followed: 0x%08lx\n", Utf8FromBstr(element_).c_str(),
                 static_cast<unsigned long>(hr));
      }
      ctx_->CloseBatch(-1, 0);
      batchOpen_ = false;
      submitted_ = true;
   }

   // Not submitted: closes the batch and removes an element of its own.
   void Drop()
   {
      if (submitted_ || !ctx_) {
         return;
      }
      if (batchOpen_) {
         batchOpen_ = false;
         if (owned_) {
            ctx_->RemoveNode(element_, VARIANT_TRUE);
         }
         ctx_->CloseBatch(0);
      } else if (owned_) {
         ctx_->RemoveNode(element_, VARIANT_TRUE);
      }
      owned_ = false;
   }

   SettingsRequest(const SettingsRequest &) = delete;
   SettingsRequest &operator=(const SettingsRequest &) = delete;

private:
   IVmdbContextPtr ctx_;
   _bstr_t element_;
   bool owned_;
   bool batchOpen_ = false;
   bool submitted_ = false;
};

ITremappPropObjPtr CreatePropObj()
{
   ITremappPropObjPtr data;
   HRESULT hr = data.CreateInstance(__uuidof(TremappPropObj), nullptr, CLSCTX_ALL);
   if (FAILED(hr)) {
      ReportComCreateFailure("TremappPropObj", hr);
      return nullptr;
   }
   return data;
}

ITremappPropFramePtr CreatePropFrame()
{
   ITremappPropFramePtr frame;
   HRESULT hr = frame.CreateInstance(__uuidof(TremappPropFrame), nullptr, CLSCTX_ALL);
   if (FAILED(hr)) {
      ReportComCreateFailure("TremappPropFrame", hr);
      return nullptr;
   }
   return frame;
}

void SetUpData(const ITremappPropObjPtr &data, const SettingsRequest &request, const std::string &clientHostPath)
{
   data->SetContext(request.GetContext());
   data->SetElementPath(request.GetElement());
   data->SetHostPath(clientHostPath.c_str());
}

std::string PathOf(cui::Host *host)
{
   return host ? host->GetPath() : std::string();
}

bool IsRemoteMode()
{
   cui::Prefs *prefs = cui::GetPrefs();
   return prefs && prefs->GetUIMode() == cui::Prefs::UI_MODE_REMOTE;
}

// Shows the frame; a frame that cannot show its pages is reported and counts as not confirmed.
bool ShowFrame(const ITremappPropFramePtr &frame, HWND owner, UINT titleId)
{
   try {
      return frame->ShowModal(owner, _bstr_t(WideFromUtf8(LoadResString(titleId)).c_str()));
   } catch (const _com_error &e) {
      ReportComError(e, -1, _bstr_t(""));
      return false;
   }
}

// The request element a change below it belongs to ("…/settingsState/req/#0001/"); empty when
// the change is elsewhere.
std::string ElementOfChange(const std::string &changed, const std::string &queue)
{
   size_t at = changed.find(queue);
   if (at == std::string::npos) {
      return std::string();
   }
   size_t end = changed.find('/', at + queue.size());
   return end == std::string::npos ? changed + "/" : changed.substr(0, end + 1);
}

// The outcome the owner left in a submitted element: S_OK, the owner's code, or E_FAIL; `text`
// gets the owner's error text. False while the element is not answered yet.
bool ReadOutcome(const IVmdbContextPtr &ctx, const std::string &element, HRESULT &result, std::string &text)
{
   std::string status = Utf8FromBstr(_bstr_t(ctx->ReadValue((element + "status").c_str())).GetBSTR());
   if (status == "ok") {
      result = S_OK;
      return true;
   }
   if (status != "error") {
      return false;
   }
   text = Utf8FromBstr(_bstr_t(ctx->ReadValue((element + "status/error/errMsg").c_str())).GetBSTR());
   std::string code = Utf8FromBstr(_bstr_t(ctx->ReadValue((element + "status/error/code").c_str())).GetBSTR());
   result = code.empty() ? E_FAIL : static_cast<HRESULT>(std::strtoul(code.c_str(), nullptr, 16));
   if (SUCCEEDED(result)) {
      result = E_FAIL;
   }
   return true;
}

}  // namespace

void CZOLTApp::EditHostSettings()
{
   ITremappPropObjPtr data = CreatePropObj();
   if (!data) {
      return;
   }
   const std::string hostPath = PathOf(wui::GetCurrentHost());
   if (hostPath.empty()) {
      Warning("CZOLTApp::EditHostSettings: there is no current host\n");
      return;
   }
   SettingsRequest request(db_, hostPath);
   SetUpData(data, request, PathOf(cui::GetClientHost()));
   ITremappPropFramePtr frame = CreatePropFrame();
   if (!frame) {
      return;
   }
   frame->AddDataObject(data);
   for (const wchar_t *page : zoltsettings::HostSettingsPages(IsRemoteMode())) {
      frame->AddPage(page);
   }
   if (!request.OpenIfIdle()) {
      Log("CZOLTApp::EditHostSettings: another client is submitting host settings\n");
      request.Drop();
      MessageBoxRes(IDS_SETTINGS_SUBMISSION_PENDING, MB_OK | MB_ICONEXCLAMATION);
      return;
   }
   ModalScope modal(*this);
   if (ShowFrame(frame, GetFrameWindow(), IDS_HOST_SETTINGS_TITLE)) {
      request.Submit(*this, &CZOLTApp::OnHostSettingsRequestChanged);
      Log("CZOLTApp::EditHostSettings: submitted %s\n", Utf8FromBstr(request.GetElement()).c_str());
   }
}

void CZOLTApp::EditPreferences()
{
   ITremappPropObjPtr prefsData = CreatePropObj();
   ITremappPropObjPtr hostData = prefsData ? CreatePropObj() : nullptr;
   if (!hostData) {
      return;
   }
   const bool remoteMode = IsRemoteMode();
   const std::string hostPath = PathOf(wui::GetCurrentHost());
   const bool hostPages = !remoteMode && !IsCurrentVMGUIRestricted() && !hostPath.empty();
   const std::string clientHostPath = PathOf(cui::GetClientHost());

   SettingsRequest prefs(db_, cui::kPrefsRequestPath);
   SetUpData(prefsData, prefs, clientHostPath);
   // The host's element only when its pages are shown: one that is never submitted is litter.
   std::unique_ptr<SettingsRequest> host;
   if (hostPages) {
      host = std::make_unique<SettingsRequest>(db_, hostPath);
      SetUpData(hostData, *host, clientHostPath);
   }
   ITremappPropFramePtr frame = CreatePropFrame();
   if (!frame) {
      return;
   }
   frame->AddDataObject(prefsData);
   if (host) {
      frame->AddDataObject(hostData);
   }
   for (const wchar_t *page : zoltsettings::PreferencePages(remoteMode, hostPages)) {
      frame->AddPage(page);
   }
   if (!prefs.OpenIfIdle() || (host && !host->OpenIfIdle())) {
      Log("CZOLTApp::EditPreferences: another client is submitting changes\n");
      prefs.Drop();
      if (host) {
         host->Drop();
      }
      MessageBoxRes(IDS_SETTINGS_SUBMISSION_PENDING, MB_OK | MB_ICONEXCLAMATION);
      return;
   }
   ModalScope modal(*this);
   if (ShowFrame(frame, GetFrameWindow(), IDS_PREFERENCES_TITLE)) {
      prefs.Submit(*this, &CZOLTApp::OnPrefsRequestChanged);
      if (host) {
         host->Submit(*this, &CZOLTApp::OnHostSettingsRequestChanged);
      }
      Log("CZOLTApp::EditPreferences: submitted the preferences%s\n", host ? " and the host settings" : "");
   }
}

void CZOLTApp::OnHostSettingsRequestChanged(BSTR changedPath)
{
   const std::string element = ElementOfChange(Utf8FromBstr(changedPath), kSettingsReq);
   if (element.empty()) {
      return;
   }
   HRESULT result = S_OK;
   std::string text;
   bool gone = ctx_->TestNode(element.c_str()) == VARIANT_FALSE;
   if (!gone && !ReadOutcome(ctx_, element, result, text)) {
      return;
   }
   CtxUnwatch(_bstr_t(element.c_str()));
   if (gone) {
      Warning("CZOLTApp: the host settings request %s went away unanswered\n", element.c_str());
      return;
   }
   // The answered element has served its purpose: the host keeps the values in its state.
   ctx_->RemoveNode(element.c_str(), VARIANT_TRUE);
   if (FAILED(result) && result != kChangedMeanwhile && !text.empty()) {
      ReportError(_bstr_t(WideFromUtf8(text).c_str()), IDS_SAVE_SETTINGS_FAILED, _bstr_t(""));
      return;
   }
   OnHostSettingsSaved(_bstr_t(element.c_str()), result);
}

void CZOLTApp::OnPrefsRequestChanged(BSTR)
{
   const std::string element = cui::kPrefsRequestPath;
   HRESULT result = S_OK;
   std::string text;
   if (!ReadOutcome(ctx_, element, result, text)) {
      return;
   }
   CtxUnwatch(_bstr_t(element.c_str()));
   if (FAILED(result) && result != kChangedMeanwhile && !text.empty()) {
      ReportError(_bstr_t(WideFromUtf8(text).c_str()), IDS_SAVE_PREFS_FAILED, _bstr_t(""));
      return;
   }
   OnPrefsSaved(_bstr_t(element.c_str()), result);
}
