#include "tremapputil/TremAppUtil.h"

#include "tremapputil/ResString.h"
#include "tremapputil/TremAppUtilRes.h"

#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <shellapi.h>

namespace {

int gModalDepth = 0;

}  // namespace

HMODULE TremAppUtil_GetResourceModule()
{
   return nullptr;
}

void ReportComCreateFailure(const char *objectName, HRESULT hr)
{
   const char *name = objectName ? objectName : "";
   Warning("Could not create %s: 0x%08lx\n", name, static_cast<unsigned long>(hr));
   if (Config_GetBool("test.comFailure.silent", false)) {
      return;
   }
   tremapputil::ResString text(TREMAPPUTIL_IDS_COM_CREATE_FAILED);
   tremapputil::ResString caption(TREMAPPUTIL_IDS_CAPTION);
   if (!text.Loaded()) {
      Warning("ReportComCreateFailure: the program has no string %d\n", TREMAPPUTIL_IDS_COM_CREATE_FAILED);
      return;
   }
   std::wstring body = WideFromUtf8(text.Format({name, static_cast<unsigned long>(hr)}));
   std::wstring title = WideFromUtf8(caption.Text());
   MessageBoxW(nullptr, body.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void TremAppUtil_SetModalState(IVmdbContext *, const wchar_t *, bool modal)
{
   if (modal) {
      ++gModalDepth;
   } else if (gModalDepth > 0) {
      --gModalDepth;
   } else {
      Warning("TremAppUtil_SetModalState: a modal window went away that never came up\n");
   }
}

int TremAppUtil_GetModalDepth()
{
   return gModalDepth;
}

bool TremAppUtil_OpenURL(const char *url)
{
   if (!url || !*url) {
      return false;
   }
   if (Config_GetBool("test.browser.log", false)) {
      Log("Browser: %s\n", url);
      return true;
   }
   std::wstring wide = WideFromUtf8(url);
   HINSTANCE result = ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
   if (reinterpret_cast<INT_PTR>(result) <= 32) {
      Warning("TremAppUtil_OpenURL: cannot open %s (%d)\n", url, static_cast<int>(reinterpret_cast<INT_PTR>(result)));
      return false;
   }
   return true;
}

std::string TremAppUtil_GetUILanguage()
{
   return Config_GetString("test.ui.language", "en");
}
