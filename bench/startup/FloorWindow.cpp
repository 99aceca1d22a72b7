// The second yardstick of the start-up benchmark: what any desktop program of zolt's kind loads
// and starts before it shows its main window. Common controls 6 (by the manifest beside this
// file), COM and OLE, a frame with a rebar holding a toolbar of a few buttons, and a message loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

namespace {

const int kButtons = 6;

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   switch (msg) {
   case WM_SIZE:
      if (HWND rebar = GetDlgItem(window, 1)) {
         SendMessageW(rebar, WM_SIZE, 0, 0);
      }
      return 0;
   case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
   default:
      return DefWindowProcW(window, msg, wParam, lParam);
   }
}

HWND CreateToolbar(HWND parent)
{
   HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                  WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER |
                                     CCS_NORESIZE | CCS_NOPARENTALIGN,
                                  0, 0, 0, 0, parent, reinterpret_cast<HMENU>(2), GetModuleHandleW(nullptr), nullptr);
   SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
   TBADDBITMAP standard = {HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
   SendMessageW(toolbar, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&standard));
   TBBUTTON buttons[kButtons] = {};
   static const wchar_t *const kTexts[kButtons] = {L"New", L"Open", L"Save", L"Cut", L"Copy", L"Paste"};
   static const int kImages[kButtons] = {STD_FILENEW, STD_FILEOPEN, STD_FILESAVE, STD_CUT, STD_COPY, STD_PASTE};
   for (int i = 0; i < kButtons; i++) {
      buttons[i].iBitmap = kImages[i];
      buttons[i].idCommand = 100 + i;
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
      buttons[i].iString = reinterpret_cast<INT_PTR>(kTexts[i]);
   }
   SendMessageW(toolbar, TB_ADDBUTTONSW, kButtons, reinterpret_cast<LPARAM>(buttons));
   SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
   return toolbar;
}

void CreateRebar(HWND parent)
{
   HWND rebar = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                   RBS_BANDBORDERS | CCS_NODIVIDER,
                                0, 0, 0, 0, parent, reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
   HWND toolbar = CreateToolbar(rebar);
   DWORD size = static_cast<DWORD>(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
   SIZE ideal = {};
   SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE;
   band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS;
   band.hwndChild = toolbar;
   band.cyMinChild = HIWORD(size);
   band.cxMinChild = LOWORD(size);
   band.cx = band.cxIdeal = ideal.cx;
   SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
   if (FAILED(OleInitialize(nullptr))) {
      return 1;
   }
   INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
   InitCommonControlsEx(&controls);
   WNDCLASSW wc = {};
   wc.lpfnWndProc = WindowProc;
   wc.hInstance = instance;
   wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
   wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
   wc.lpszClassName = L"FloorWindow";
   RegisterClassW(&wc);
   HWND window = CreateWindowExW(0, L"FloorWindow", L"Floor window", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 instance, nullptr);
   CreateRebar(window);
   ShowWindow(window, SW_SHOWNORMAL);
   MSG msg;
   while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
   }
   OleUninitialize();
   return 0;
}
