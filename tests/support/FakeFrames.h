// Windows of the main frame's class owned by a thread of the test, standing for another running
// instance of the program: one that reads its messages with the given window procedure, or one
// that hangs (never reads them). The windows go, and the class is unregistered, when the object
// goes.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class FakeFrames {
public:
   // `proc` null: a hung instance whose windows never read their messages.
   FakeFrames(WNDPROC proc, std::vector<std::string> titles) : proc_(proc), titles_(std::move(titles))
   {
      owner_ = std::thread([this] { Run(); });
   }
   ~FakeFrames()
   {
      release_ = true;
      owner_.join();
   }
   FakeFrames(const FakeFrames &) = delete;
   FakeFrames &operator=(const FakeFrames &) = delete;

   // True once every window is there, false after `ms` without them.
   bool WaitUntilReady(DWORD ms) const
   {
      const DWORD start = GetTickCount();
      while (!ready_) {
         if (GetTickCount() - start > ms) {
            return false;
         }
         Sleep(10);
      }
      return true;
   }

   static constexpr const char *kClass = "ZOLTFrame";

private:
   void Run()
   {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = proc_ ? proc_ : DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = kClass;
      RegisterClassA(&wc);
      std::vector<HWND> windows;
      for (const std::string &title : titles_) {
         windows.push_back(CreateWindowExA(0, kClass, title.c_str(), WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                           wc.hInstance, nullptr));
      }
      ready_ = true;
      while (!release_) {
         if (!proc_) {
            Sleep(50);
            continue;
         }
         MSG msg;
         while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
         }
         MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      }
      for (HWND window : windows) {
         DestroyWindow(window);
      }
      UnregisterClassA(kClass, wc.hInstance);
   }

   WNDPROC proc_;
   std::vector<std::string> titles_;
   std::atomic<bool> ready_{false};
   std::atomic<bool> release_{false};
   std::thread owner_;
};
