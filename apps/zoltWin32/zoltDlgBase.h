// The window base of the factory's dialogs: a modeless dialog from a resource template that is
// centred on its owner within the owner's monitor and keeps the owner disabled while any dialog
// of it is up.
#pragma once

#include "zoltMonitors.h"

#include "atl/Atl.h"

#include "tremorybase/Log.h"

#include <windows.h>

// Work areas of monitors (GetMonitors) when user32 has the monitor functions (looked up at run
// time), else the primary work area.
template <class T>
class CMultiMonitorAware {
public:
   typedef HMONITOR(WINAPI *MonitorFromRectFn)(LPCRECT, DWORD);
   typedef BOOL(WINAPI *GetMonitorInfoFn)(HMONITOR, LPMONITORINFO);

   CMultiMonitorAware()
   {
      user32_ = ::LoadLibraryA("user32.dll");
      if (user32_) {
         monitorFromRect_ = reinterpret_cast<MonitorFromRectFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(user32_, "MonitorFromRect")));
         getMonitorInfo_ = reinterpret_cast<GetMonitorInfoFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(user32_, "GetMonitorInfoA")));
      }
   }
   virtual ~CMultiMonitorAware()
   {
      if (user32_) {
         ::FreeLibrary(user32_);
      }
   }

   // The work area of the monitor nearest to `rect`; the primary one without the functions.
   RECT GetWorkArea(const RECT *rect) const
   {
      RECT area = {0, 0, 0, 0};
      MonitorArea nearest;
      if (rect && HasMonitorFunctions() && FindNearestMonitor(GetMonitors(), *rect, nearest)) {
         return nearest.work;
      }
      ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
      return area;
   }

   bool HasMonitorFunctions() const { return monitorFromRect_ && getMonitorInfo_; }

   CMultiMonitorAware(const CMultiMonitorAware &) = delete;
   CMultiMonitorAware &operator=(const CMultiMonitorAware &) = delete;

private:
   HMODULE user32_ = nullptr;
   MonitorFromRectFn monitorFromRect_ = nullptr;
   GetMonitorInfoFn getMonitorInfo_ = nullptr;
};

// The owner's other dialogs that stay up when one closes: windows the closing dialog owned pass
// to its owner (they are not destroyed with it), and are counted when they are dialogs.
struct ReleaseOwnerState {
   HWND dialog;
   HWND owner;
   int others;
};

inline bool IsDialogClass(HWND wnd)
{
   char name[16] = "";
   ::GetClassNameA(wnd, name, sizeof(name));
   return lstrcmpA(name, "#32770") == 0;
}

inline BOOL CALLBACK ReleaseOwnerEnumProc(HWND wnd, LPARAM param)
{
   auto *state = reinterpret_cast<ReleaseOwnerState *>(param);
   if (wnd == state->dialog) {
      return TRUE;
   }
   HWND owner = ::GetWindow(wnd, GW_OWNER);
   if (owner == state->dialog) {
      ::SetWindowLongPtrA(wnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(state->owner));
      if (IsDialogClass(wnd)) {
         ++state->others;
      }
   } else if (owner && owner == state->owner && ::IsWindowVisible(wnd) && IsDialogClass(wnd)) {
      ++state->others;
   }
   return TRUE;
}

template <class T>
class CVMDlgBase : public atl::CDialogImpl<T>, public CMultiMonitorAware<T> {
public:
   CVMDlgBase() = default;

   // The user pressed the button or choice that answers `id`.
   virtual void OnClicked(int id) = 0;

   // Centres on `center` (0: the parent of a child, else the owner), kept inside the work area
   // of the centre's monitor.
   void CenterOnOwner(HWND center = nullptr)
   {
      HWND self = this->m_hWnd;
      const bool child = (::GetWindowLongA(self, GWL_STYLE) & WS_CHILD) != 0;
      if (!center) {
         center = child ? ::GetParent(self) : ::GetWindow(self, GW_OWNER);
      }
      RECT own;
      ::GetWindowRect(self, &own);
      const int width = own.right - own.left;
      const int height = own.bottom - own.top;
      RECT area;
      RECT centerRect;
      if (child) {
         HWND parent = ::GetParent(self);
         ::GetClientRect(parent, &area);
         ::GetClientRect(center, &centerRect);
         ::MapWindowPoints(center, parent, reinterpret_cast<POINT *>(&centerRect), 2);
      } else {
         if (center && (!::IsWindowVisible(center) || ::IsIconic(center))) {
            center = nullptr;
         }
         if (center) {
            ::GetWindowRect(center, &centerRect);
            area = this->GetWorkArea(&centerRect);
         } else {
            area = this->GetWorkArea(nullptr);
            centerRect = area;
         }
      }
      int left = (centerRect.left + centerRect.right) / 2 - width / 2;
      int top = (centerRect.top + centerRect.bottom) / 2 - height / 2;
      if (left < area.left) {
         left = area.left;
      } else if (left + width > area.right) {
         left = area.right - width;
      }
      if (top < area.top) {
         top = area.top;
      } else if (top + height > area.bottom) {
         top = area.bottom - height;
      }
      ::SetWindowPos(self, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   }

   bool PreTranslate(MSG *msg)
   {
      HWND self = this->m_hWnd;
      return self && ::IsWindow(self) && ::GetActiveWindow() == self && ::IsDialogMessageW(self, msg);
   }

   // Destroys the window; the owner comes back only when no other dialog of it is left.
   BOOL DestroyDialog()
   {
      HWND self = this->m_hWnd;
      if (!self || !::IsWindow(self)) {
         return TRUE;
      }
      if (disableOwner_) {
         ReleaseOwnerState state = {self, ::GetParent(self), 0};
         ::EnumWindows(ReleaseOwnerEnumProc, reinterpret_cast<LPARAM>(&state));
         others_ = state.others;
         if (state.owner && ::IsWindow(state.owner) && others_ == 0) {
            ::EnableWindow(state.owner, TRUE);
         }
      }
      return ::DestroyWindow(self);
   }

protected:
   // Creates and shows the window owned by `owner` (the active window when it has none); the
   // owner is disabled while it is up. 0 when the window cannot be made.
   int PopupDialog(HWND owner)
   {
      HWND parent = owner ? owner : ::GetActiveWindow();
      if (parent && !::IsWindow(parent)) {
         Warning("PopupDialog: Bogus parent handle.\n");
         parent = ::GetActiveWindow();
      }
      if (!this->Create(parent)) {
         return 0;
      }
      ::ShowWindow(this->m_hWnd, SW_SHOW);
      if (disableOwner_ && parent && ::IsWindow(parent)) {
         ::EnableWindow(parent, FALSE);
      }
      return 1;
   }

   bool disableOwner_ = true;
   int others_ = 0;
};
