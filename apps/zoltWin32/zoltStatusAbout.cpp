#include "zoltStatusAbout.h"

#include "zoltApp.h"
#include "zoltResources.h"

#include "cui/Host.h"
#include "cui/Registry.h"
#include "cui/Util.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace {

enum {
   kProductLabel = 1121,
   kMoreLabel = 1123,
   kProduct = 1124,
   kVersion = 1059,
   kHostName = 1128,
   kMemory = 1063,
   kHostOS = 1129,
   kLogFile = 1130,
};

const COLORREF kSlate = 0x977F6A;

}  // namespace

namespace aboutpage {

Facts FactsFor(const cui::Host *host, bool zephro)
{
   Facts facts;
   facts.product = zephro ? LoadResString(IDS_ZEPHRO_EDITION) : CZOLTApp::GetAppTitle();
   facts.version = LoadResString(IDS_APP_VERSION);
   // Before a session (the -v box) there is no current host: the facts are this computer's.
   cui::Host thisComputer(nullptr, vmdb::Ctx(), std::string());
   const cui::Host *source = host && !host->GetPath().empty() ? host : &thisComputer;
   facts.hostName = source->GetName();
   if (int memory = source->GetMemory()) {
      facts.memory = tremapputil::ResString(IDS_MEMORY_MB).Format({memory});
   }
   facts.hostOS = source->GetOSVersion();
   if (const char *log = Log_GetFileName()) {
      facts.logFile = log;
   }
   return facts;
}

}  // namespace aboutpage

CZOLTStatusAbout::~CZOLTStatusAbout()
{
   FreeBrushes();
}

void CZOLTStatusAbout::FreeBrushes()
{
   greyBrush_.reset();
   slateBrush_.reset();
}

LRESULT CZOLTStatusAbout::OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   Base::OnInitDialog(uMsg, wParam, lParam, bHandled);
   greyBrush_.reset(::CreateSolidBrush(statuspage::kLabelColor));
   slateBrush_.reset(::CreateSolidBrush(kSlate));
   productLabel_.Attach(GetDlgItem(kProductLabel), IDB_STATUS_BAND, greyBrush_, false);
   moreLabel_.Attach(GetDlgItem(kMoreLabel), IDB_STATUS_BAND, slateBrush_, false);
   for (int id : {kProductLabel, kMoreLabel}) {
      SendDlgItemMessage(id, WM_SETFONT, reinterpret_cast<WPARAM>(GetBoldFont()), TRUE);
   }

   aboutpage::Facts facts = aboutpage::FactsFor(wui::GetCurrentHost(), wui::util::HasZephroExtension());
   const std::pair<int, const std::string *> fields[] = {
      {kProduct, &facts.product}, {kVersion, &facts.version}, {kHostName, &facts.hostName},
      {kMemory, &facts.memory},   {kHostOS, &facts.hostOS},   {kLogFile, &facts.logFile},
   };
   for (const auto &field : fields) {
      ::SetWindowTextW(GetDlgItem(field.first), WideFromUtf8(*field.second).c_str());
   }
   ComputeExtent();
   return 0;
}

LRESULT CZOLTStatusAbout::OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   FreeBrushes();
   return Base::OnDestroy(uMsg, wParam, lParam, bHandled);
}
