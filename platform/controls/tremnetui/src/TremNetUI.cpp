#include "tremnetui/TremNetUI.h"

#include "resource.h"

#include "tremorybase/Text.h"
#include "vmdb/Store.h"

#include <commctrl.h>
#include <prsht.h>

#include <string>

namespace {

HMODULE gModule = nullptr;

std::wstring LoadText(UINT id)
{
   wchar_t buffer[256];
   int length = LoadStringW(gModule, id, buffer, 256);
   return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

INT_PTR CALLBACK HostPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
   if (message == WM_INITDIALOG) {
      const auto *sheetPage = reinterpret_cast<const PROPSHEETPAGEW *>(lParam);
      const auto *hostPath = reinterpret_cast<const std::wstring *>(sheetPage->lParam);
      SetDlgItemTextW(page, IDC_TREMNETUI_HOSTPATH, hostPath->c_str());
      return TRUE;
   }
   return FALSE;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
   if (reason == DLL_PROCESS_ATTACH) {
      gModule = instance;
      DisableThreadLibraryCalls(instance);
   }
   return TRUE;
}

extern "C" int WINAPI TremNetUI_ShowPropertyPages(HWND owner, void *rawCtx, int startPage)
{
   if (!rawCtx) {
      return -1;
   }
   // The context belongs to the program; only its current path (the host's node) is read here.
   std::wstring hostPath = WideFromUtf8(static_cast<vmdbstore::Context *>(rawCtx)->CurrentPath());
   std::wstring title = LoadText(IDS_TREMNETUI_TITLE);

   INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
   InitCommonControlsEx(&controls);

   PROPSHEETPAGEW page = {};
   page.dwSize = sizeof page;
   page.hInstance = gModule;
   page.pszTemplate = MAKEINTRESOURCEW(IDD_TREMNETUI_HOST);
   page.pfnDlgProc = HostPageProc;
   page.lParam = reinterpret_cast<LPARAM>(&hostPath);
   HPROPSHEETPAGE pages[] = {CreatePropertySheetPageW(&page)};
   if (!pages[0]) {
      return -1;
   }
   const UINT pageCount = sizeof pages / sizeof pages[0];

   PROPSHEETHEADERW header = {};
   header.dwSize = sizeof header;
   header.dwFlags = PSH_NOAPPLYNOW;
   header.hwndParent = owner && IsWindow(owner) ? owner : nullptr;
   header.hInstance = gModule;
   header.pszCaption = title.c_str();
   header.nPages = pageCount;
   header.nStartPage = startPage < 0 ? 0 : static_cast<UINT>(startPage) >= pageCount ? pageCount - 1 : static_cast<UINT>(startPage);
   header.phpage = pages;
   INT_PTR result = PropertySheetW(&header);
   return result > 0 ? 1 : result == 0 ? 0 : -1;
}
