#include "zoltStatusHome.h"

#include "zoltApp.h"
#include "zoltResources.h"

#include "cui/AppDataPaths.h"
#include "cui/Host.h"
#include "cui/Registry.h"
#include "cui/Util.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Text.h"

namespace homepage {

namespace {

// Resource-library strings that replace the program's own of the same role.
enum {
   kOverrideTitle = 301,
   kOverrideZephroTitle = 300,
   kOverrideIntro = 400,
};

void SetText(HWND window, const std::string &text)
{
   ::SetWindowTextW(window, WideFromUtf8(text).c_str());
}

}  // namespace

HomeButtons HomeButtonsFor(const cui::Host *host)
{
   HomeButtons buttons;
   if (!host || host->GetPath().empty()) {
      return buttons;
   }
   buttons.newVM = host->CapNewVM();
   buttons.openVM = true;
   buttons.hostSettings = host->CapEditSettings();
   std::string name = host->GetCnx() ? host->GetName() : LoadResString(IDS_LOCAL_HOST);
   buttons.line = tremapputil::ResString(IDS_HOME_CONNECTED)
                     .Format({name, host->GetProductName(), host->GetProductVersion()});
   return buttons;
}

std::string PageString(HMODULE resLib, unsigned int overrideId, unsigned int id)
{
   if (resLib) {
      char text[512] = "";
      if (::LoadStringA(resLib, overrideId, text, sizeof text) > 0 && text[0]) {
         return text;
      }
   }
   return id ? LoadResString(id) : std::string();
}

}  // namespace homepage

LRESULT CZOLTStatusHome::OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   Base::OnInitDialog(uMsg, wParam, lParam, bHandled);
   newVM_.Attach(GetDlgItem(1055), 12127, 12128, nullptr, IDC_HAND);
   openVM_.Attach(GetDlgItem(1056), 12129, 12130, nullptr, IDC_HAND);
   switchHost_.Attach(GetDlgItem(1057), 12102, 12103, nullptr, IDC_HAND);
   hostSettings_.Attach(GetDlgItem(1058), 12104, 12105, nullptr, IDC_HAND);

   statuspage::SetTextAndFit(GetDlgItem(statuspage::kTitleId),
                             homepage::PageString(GetResLib(), homepage::kOverrideTitle, IDS_CONSOLE_TITLE));
   homepage::SetText(GetDlgItem(1052), homepage::PageString(GetResLib(), homepage::kOverrideIntro, IDS_HOME_INTRO));

   CtxWatch(cui::appdata::kCurrentHost, 0, &CZOLTStatusHome::UpdateHomeButtons);
   CtxWatch("/host2/#/setup/product/versionDotted", 0, &CZOLTStatusHome::UpdateHomeButtons);
   CtxWatch("/host2/#/setup/product/name", 0, &CZOLTStatusHome::UpdateHomeButtons);
   ComputeExtent();
   UpdateHomeButtons(nullptr);
   return 0;
}

void CZOLTStatusHome::UpdateHomeButtons(BSTR)
{
   homepage::HomeButtons buttons = homepage::HomeButtonsFor(wui::GetCurrentHost());
   ::EnableWindow(GetDlgItem(1055), buttons.newVM);
   ::EnableWindow(GetDlgItem(1056), buttons.openVM);
   ::EnableWindow(GetDlgItem(1058), buttons.hostSettings);
   homepage::SetText(GetDlgItem(statuspage::kHeadingId), buttons.line);
}

LRESULT CZOLTStatusHomeDeskmoor::OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   Base::OnInitDialog(uMsg, wParam, lParam, bHandled);
   statuspage::SetTextAndFit(GetDlgItem(statuspage::kTitleId), CZOLTApp::GetAppTitle());
   unsigned int intro = wui::util::HasZephroExtension() ? IDS_HOME_INTRO_ZEPHRO : IDS_HOME_INTRO_DESKMOOR;
   homepage::SetText(GetDlgItem(1052), homepage::PageString(GetResLib(), homepage::kOverrideIntro, intro));
   newVM_.Attach(GetDlgItem(1055), 12127, 12128, nullptr, IDC_HAND);
   newTeam_.Attach(GetDlgItem(1096), 12125, 12126, nullptr, IDC_HAND);
   openFile_.Attach(GetDlgItem(1214), 12129, 12130, nullptr, IDC_HAND);
   ComputeExtent();
   return 0;
}

namespace homepage {

ConnectionInfo ReadConnectionInfo(const vmdb::Ctx &ctx, std::string &lastDest)
{
   ConnectionInfo info;
   bool active = ctx.GetBool(cui::appdata::kSessionActive, false);
   info.lost = !ctx.Get(cui::appdata::kSessionCnxPath).empty() && !active;
   if (info.lost) {
      info.message = tremapputil::ResString(IDS_DISCONNECTED_FROM).Format({lastDest});
   }
   if (ctx.GetBool(std::string(cui::appdata::kSession) + "/remote", false)) {
      // The link's value is the host's path; the database does not follow links inside a path.
      std::string host = ctx.Get(cui::appdata::kCurrentHost);
      if (!host.empty() && host.back() != '/') {
         host += '/';
      }
      lastDest = host.empty() ? std::string() : ctx.Get(host + "info/hostname");
   } else {
      lastDest = LoadResString(IDS_LOCAL_HOST);
   }
   return info;
}

}  // namespace homepage

LRESULT CZOLTStatusNoCnx::OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   Base::OnInitDialog(uMsg, wParam, lParam, bHandled);
   connect_.Attach(GetDlgItem(1057), 12102, 12103, nullptr, IDC_HAND);
   SendDlgItemMessage(1082, WM_SETFONT, reinterpret_cast<WPARAM>(GetMediumFont()), FALSE);
   statuspage::SetTextAndFit(GetDlgItem(statuspage::kTitleId),
                             homepage::PageString(GetResLib(), homepage::kOverrideTitle, IDS_CONSOLE_TITLE));
   homepage::SetText(GetDlgItem(1052), homepage::PageString(GetResLib(), homepage::kOverrideIntro, IDS_HOME_INTRO));
   CtxWatch(cui::appdata::kSessionActive, 0, &CZOLTStatusNoCnx::ShowConnectionInfo);
   ComputeExtent();
   ShowConnectionInfo(nullptr);
   return 0;
}

void CZOLTStatusNoCnx::ShowConnectionInfo(BSTR)
{
   const IVmdbContextPtr &pageCtx = GetPageContext();
   vmdb::Ctx ctx;
   if (pageCtx) {
      ctx = vmdb::Ctx(pageCtx->GetRawHandle(), false, vmdb::Ctx::kAll);
   } else {
      try {
         ctx = cui::GetNewVmdbCtx();
      } catch (const cui::Error &) {
      }
   }
   homepage::ConnectionInfo info;
   if (ctx.IsValid()) {
      info = homepage::ReadConnectionInfo(ctx, lastDest_);
   }
   if (info.lost) {
      homepage::SetText(GetDlgItem(1082), info.message);
   }
   ::ShowWindow(GetDlgItem(1082), info.lost ? SW_SHOW : SW_HIDE);
   ::ShowWindow(GetDlgItem(1031), info.lost ? SW_SHOW : SW_HIDE);
   ::ShowWindow(GetDlgItem(statuspage::kHintId), info.lost ? SW_HIDE : SW_SHOW);
}

LRESULT CZOLTStatusHomeDeskmoorEE::OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   Base::OnInitDialog(uMsg, wParam, lParam, bHandled);
   std::string title = homepage::PageString(GetResLib(), homepage::kOverrideZephroTitle, 0);
   statuspage::SetTextAndFit(GetDlgItem(statuspage::kTitleId), title.empty() ? CZOLTApp::GetAppTitle() : title);
   homepage::SetText(GetDlgItem(1052),
                     homepage::PageString(GetResLib(), homepage::kOverrideIntro, IDS_HOME_INTRO_ZEPHRO_EE));
   newTemplate_.Attach(GetDlgItem(1106), 12122, 0, nullptr, IDC_HAND);
   newVM_.Attach(GetDlgItem(1261), 12127, 12128, nullptr, IDC_HAND);
   newTeam_.Attach(GetDlgItem(1262), 12125, 12126, nullptr, IDC_HAND);
   openFile_.Attach(GetDlgItem(1107), 12129, 12130, nullptr, IDC_HAND);
   ComputeExtent();
   return 0;
}
