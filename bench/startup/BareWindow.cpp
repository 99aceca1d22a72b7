// The yardstick of the start-up benchmark: a Win32 program that shows one window and runs until
// it is closed, nothing else.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   if (msg == WM_DESTROY) {
      PostQuitMessage(0);
      return 0;
   }
   return DefWindowProcA(window, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
   WNDCLASSA wc = {};
   wc.lpfnWndProc = WindowProc;
   wc.hInstance = instance;
   wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
   wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
   wc.lpszClassName = "BareWindow";
   RegisterClassA(&wc);
   HWND window = CreateWindowExA(0, "BareWindow", "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
   ShowWindow(window, SW_SHOWNORMAL);
   MSG msg;
   while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
   }
   return 0;
}
