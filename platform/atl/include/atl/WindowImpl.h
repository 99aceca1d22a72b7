// CWindowImpl: a window class whose messages go through the object's message map.
// No thunks: the object is found through a window property. Create() leaves the object on a
// per-thread stack that the first message of the new window takes it from, so windows created
// from inside another window's creation find their own objects.
// Windows are Unicode windows (registered, created and subclassed with the W calls): an ANSI
// window would pass every text set on it through the system's code page. Class and window names
// are given in UTF-8. Common controls ask their parent for the notification form and get the
// default procedure's answer, so maps see the W notifications (TTN_GETDISPINFOW, LVN_GETDISPINFOW,
// TVN_SELCHANGEDW, ...).
#pragma once

#include <windows.h>

#include <string>

#include "atl/MessageMap.h"
#include "atl/Module.h"
#include "atl/UncaughtException.h"
#include "atl/Window.h"

namespace atl {

namespace detail {

enum CreateKind { kCreateWindow, kCreateDialog };

void PushCreating(CreateKind kind, void *object);
// The object whose window is being created, or NULL when there is none.
void *PopCreating(CreateKind kind);
// Drops `object` if its window never took it (creation failed before the first message).
void DiscardCreating(CreateKind kind, void *object);

// Properties naming the object behind a window: one for CWindowImpl and CDialogImpl windows,
// one for contained (subclassed child) windows, so both can sit on one window.
extern const wchar_t kImplProp[];
extern const wchar_t kContainedProp[];

// Marks a window whose object was destroyed before it: its messages go to the default
// procedure and it never takes an object meant for a window being created.
void *const kOrphan = reinterpret_cast<void *>(static_cast<INT_PTR>(1));

// The object behind a window under `prop`, kept in a table of this process rather than in a
// window property: the window procedures ask on every message, and a property is a round trip
// to the window server each time under Wine. An entry goes with WM_NCDESTROY.
void *FindObject(HWND wnd, const wchar_t *prop);
void AttachObject(HWND wnd, const wchar_t *prop, void *object);
void DetachObject(HWND wnd, const wchar_t *prop);

// Detaches a window from the object that is going away.
inline void Orphan(HWND wnd, const wchar_t *prop)
{
   AttachObject(wnd, prop, kOrphan);
}

} // namespace detail

template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0>
class CWinTraits {
public:
   static DWORD GetWndStyle(DWORD style) { return style == 0 ? t_dwStyle : style; }
   static DWORD GetWndExStyle(DWORD exStyle) { return exStyle == 0 ? t_dwExStyle : exStyle; }
};

template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0, class TWinTraits = CWinTraits<>>
class CWinTraitsOR {
public:
   static DWORD GetWndStyle(DWORD style) { return style | t_dwStyle | TWinTraits::GetWndStyle(style); }
   static DWORD GetWndExStyle(DWORD exStyle) { return exStyle | t_dwExStyle | TWinTraits::GetWndExStyle(exStyle); }
};

typedef CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0> CControlWinTraits;
typedef CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>
   CFrameWinTraits;
typedef CWinTraits<WS_OVERLAPPEDWINDOW | WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_MDICHILD>
   CMDIChildWinTraits;
typedef CWinTraits<0, 0> CNullTraits;

// The registration of one window class, made when the first window of it is created.
class CWndClassInfo {
public:
   // `origName` set: a superclass of that class (its procedure becomes the super procedure).
   CWndClassInfo(LPCTSTR name, UINT style, HBRUSH background, LPCTSTR origName = nullptr)
      : m_lpszOrigName(origName), m_lpszCursorID(IDC_ARROW), m_bSystemCursor(TRUE), m_atom(0),
        m_pfnOrigProc(nullptr), m_className(name ? WideFromUtf8(name) : std::wstring())
   {
      ZeroMemory(&m_wc, sizeof(m_wc));
      m_wc.cbSize = sizeof(m_wc);
      m_wc.style = style;
      m_wc.hbrBackground = background;
      m_wc.lpszClassName = name ? m_className.c_str() : nullptr;
      m_szAutoName[0] = 0;
   }
   // m_wc points into the object itself.
   CWndClassInfo(const CWndClassInfo &) = delete;
   CWndClassInfo &operator=(const CWndClassInfo &) = delete;

   ATOM Register(WNDPROC ownProc, WNDPROC *superProc)
   {
      if (m_atom == 0) {
         HINSTANCE instance = _Module.GetModuleInstance();
         if (m_lpszOrigName) {
            detail::WideNameArg origName(m_lpszOrigName);
            WNDCLASSEXW orig;
            ZeroMemory(&orig, sizeof(orig));
            orig.cbSize = sizeof(orig);
            if (!::GetClassInfoExW(nullptr, origName, &orig) && !::GetClassInfoExW(instance, origName, &orig)) {
               return 0;
            }
            m_pfnOrigProc = orig.lpfnWndProc;
            LPCWSTR name = m_wc.lpszClassName;
            m_wc = orig;
            m_wc.lpszClassName = name;
            m_wc.lpszMenuName = nullptr;
         } else if (!m_wc.hCursor) {
            m_wc.hCursor = ::LoadCursorW(m_bSystemCursor ? nullptr : instance, detail::WideNameArg(m_lpszCursorID));
         }
         m_wc.hInstance = instance;
         m_wc.lpfnWndProc = ownProc;
         if (!m_wc.lpszClassName) {
            MakeAutoName();
            m_wc.lpszClassName = m_szAutoName;
         }
         m_atom = ::RegisterClassExW(&m_wc);
         if (m_atom == 0) {
            WNDCLASSEXW existing;
            existing.cbSize = sizeof(existing);
            m_atom = static_cast<ATOM>(::GetClassInfoExW(instance, m_wc.lpszClassName, &existing));
         }
      }
      if (m_lpszOrigName && superProc) {
         *superProc = m_pfnOrigProc;
      }
      return m_atom;
   }

   WNDCLASSEXW m_wc;
   LPCTSTR m_lpszOrigName;
   LPCTSTR m_lpszCursorID;   // a resource name or id (MAKEINTRESOURCE)
   BOOL m_bSystemCursor;
   ATOM m_atom;

private:
   void MakeAutoName()
   {
      static const wchar_t digits[] = L"0123456789ABCDEF";
      UINT_PTR value = reinterpret_cast<UINT_PTR>(this);
      int pos = 0;
      for (const wchar_t *p = L"Atl:"; *p; ++p) {
         m_szAutoName[pos++] = *p;
      }
      for (int shift = static_cast<int>(sizeof(value) * 8) - 4; shift >= 0; shift -= 4) {
         m_szAutoName[pos++] = digits[(value >> shift) & 0xF];
      }
      m_szAutoName[pos] = 0;
   }

   WNDPROC m_pfnOrigProc;
   std::wstring m_className;
   wchar_t m_szAutoName[5 + sizeof(void *) * 2 + 1];
};

#define DECLARE_WND_CLASS(WndClassName)                                                                         \
   static ::atl::CWndClassInfo &GetWndClassInfo()                                                               \
   {                                                                                                            \
      static ::atl::CWndClassInfo wc(WndClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,                        \
                                     reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));         \
      return wc;                                                                                                \
   }

#define DECLARE_WND_CLASS_EX(WndClassName, style, bkgnd)                                                        \
   static ::atl::CWndClassInfo &GetWndClassInfo()                                                               \
   {                                                                                                            \
      static ::atl::CWndClassInfo wc(WndClassName, style,                                                       \
                                     reinterpret_cast<HBRUSH>(static_cast<INT_PTR>((bkgnd) + 1)));              \
      return wc;                                                                                                \
   }

#define DECLARE_WND_SUPERCLASS(WndClassName, OrigWndClassName)                                                  \
   static ::atl::CWndClassInfo &GetWndClassInfo()                                                               \
   {                                                                                                            \
      static ::atl::CWndClassInfo wc(WndClassName, 0, nullptr, OrigWndClassName);                              \
      return wc;                                                                                                \
   }

// The part of window and dialog classes that does not depend on the procedure.
template <class TBase = CWindow>
class CWindowImplRoot : public TBase, public CMessageMap {
public:
   CWindowImplRoot() : m_pCurrentMsg(nullptr), m_dwState(0) {}
   virtual ~CWindowImplRoot() = default;

   // The message being processed (NULL outside a message).
   const MSG *GetCurrentMessage() const { return m_pCurrentMsg; }

   // REFLECT_NOTIFICATIONS: sends a child's notification back to the child as OCM_ + message.
   LRESULT ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
   {
      HWND child = nullptr;
      switch (uMsg) {
      case WM_COMMAND:
         child = reinterpret_cast<HWND>(lParam);
         break;
      case WM_NOTIFY:
         child = reinterpret_cast<LPNMHDR>(lParam)->hwndFrom;
         break;
      case WM_PARENTNOTIFY:
         if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) {
            child = reinterpret_cast<HWND>(lParam);
         } else {
            child = ::GetDlgItem(this->m_hWnd, HIWORD(wParam));
         }
         break;
      case WM_DRAWITEM:
         if (wParam) {
            child = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)->hwndItem;
         }
         break;
      case WM_MEASUREITEM:
         if (wParam) {
            child = ::GetDlgItem(this->m_hWnd, reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)->CtlID);
         }
         break;
      case WM_COMPAREITEM:
         if (wParam) {
            child = reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam)->hwndItem;
         }
         break;
      case WM_DELETEITEM:
         if (wParam) {
            child = reinterpret_cast<LPDELETEITEMSTRUCT>(lParam)->hwndItem;
         }
         break;
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
      case WM_HSCROLL:
      case WM_VSCROLL:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORMSGBOX:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
         child = reinterpret_cast<HWND>(lParam);
         break;
      default:
         break;
      }
      if (!child) {
         bHandled = FALSE;
         return 1;
      }
      return ::SendMessageW(child, OCM__BASE + uMsg, wParam, lParam);
   }

protected:
   enum { kStateDestroyed = 1 };

   const MSG *m_pCurrentMsg;
   DWORD m_dwState;
};

template <class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImplBaseT : public CWindowImplRoot<TBase> {
public:
   CWindowImplBaseT() : m_pfnSuperWindowProc(::DefWindowProcW) {}
   ~CWindowImplBaseT() override
   {
      // The object goes before its window: a subclassed window gets its own procedure back,
      // any other is left to the default procedure.
      HWND wnd = this->m_hWnd;
      if (!wnd || detail::FindObject(wnd, detail::kImplProp) != this) {
         return;
      }
      if (m_pfnSuperWindowProc != ::DefWindowProcW && UnsubclassWindow(FALSE)) {
         return;
      }
      detail::Orphan(wnd, detail::kImplProp);
   }

   static DWORD GetWndStyle(DWORD style) { return TWinTraits::GetWndStyle(style); }
   static DWORD GetWndExStyle(DWORD exStyle) { return TWinTraits::GetWndExStyle(exStyle); }

   virtual WNDPROC GetWindowProc() { return WindowProc; }
   static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
   {
      void *found = detail::FindObject(hWnd, detail::kImplProp);
      if (found == detail::kOrphan) {
         if (uMsg == WM_NCDESTROY) {
            detail::DetachObject(hWnd, detail::kImplProp);
         }
         return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
      }
      auto *self = static_cast<CWindowImplBaseT *>(found);
      if (!self) {
         self = static_cast<CWindowImplBaseT *>(detail::PopCreating(detail::kCreateWindow));
         if (!self) {
            return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
         }
         self->m_hWnd = hWnd;
         detail::AttachObject(hWnd, detail::kImplProp, self);
      }
      return self->RouteMessage(hWnd, uMsg, wParam, lParam);
   }

   HWND Create(HWND parent, _U_RECT rect, LPCTSTR windowName, DWORD style, DWORD exStyle, _U_MENUorID menuOrId,
               ATOM atom, LPVOID createParam = nullptr)
   {
      if (atom == 0 || this->m_hWnd) {
         return nullptr;
      }
      RECT *rc = rect.m_lpRect ? rect.m_lpRect : &CWindow::rcDefault;
      detail::PushCreating(detail::kCreateWindow, this);
      HWND wnd = ::CreateWindowExW(exStyle, MAKEINTRESOURCEW(atom), detail::WideArg(windowName), style, rc->left,
                                   rc->top, rc->right - rc->left, rc->bottom - rc->top, parent, menuOrId.m_hMenu,
                                   _Module.GetModuleInstance(), createParam);
      detail::DiscardCreating(detail::kCreateWindow, this);
      return wnd;
   }

   // No m_hWnd reset here: OnFinalMessage may already have deleted the object.
   BOOL DestroyWindow() { return ::DestroyWindow(this->m_hWnd); }

   // Routes an existing window's messages through this object's map until UnsubclassWindow.
   BOOL SubclassWindow(HWND wnd)
   {
      if (this->m_hWnd || !::IsWindow(wnd) || detail::FindObject(wnd, detail::kImplProp)) {
         return FALSE;
      }
      this->m_hWnd = wnd;
      detail::AttachObject(wnd, detail::kImplProp, this);
      WNDPROC old =
         reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetWindowProc())));
      if (!old) {
         detail::DetachObject(wnd, detail::kImplProp);
         this->m_hWnd = nullptr;
         return FALSE;
      }
      m_pfnSuperWindowProc = old;
      return TRUE;
   }

   // Gives the window its own procedure back. Refused (NULL) when someone subclassed it after
   // us, unless `force`: then their procedure keeps calling into a window that no longer knows us.
   HWND UnsubclassWindow(BOOL force = FALSE)
   {
      if (!this->m_hWnd || m_pfnSuperWindowProc == ::DefWindowProcW) {
         return nullptr;
      }
      WNDPROC ours = GetWindowProc();
      WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(this->m_hWnd, GWLP_WNDPROC));
      if (current != ours && !force) {
         return nullptr;
      }
      if (current == ours) {
         ::SetWindowLongPtrW(this->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
      }
      m_pfnSuperWindowProc = ::DefWindowProcW;
      detail::DetachObject(this->m_hWnd, detail::kImplProp);
      HWND wnd = this->m_hWnd;
      this->m_hWnd = nullptr;
      return wnd;
   }

   LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
   {
      return ::CallWindowProcW(m_pfnSuperWindowProc, this->m_hWnd, uMsg, wParam, lParam);
   }
   LRESULT DefWindowProc()
   {
      const MSG *msg = this->m_pCurrentMsg;
      return msg ? DefWindowProc(msg->message, msg->wParam, msg->lParam) : 0;
   }

   // Called once the window is gone (after WM_NCDESTROY); `delete this` is allowed here.
   virtual void OnFinalMessage(HWND hWnd) { (void)hWnd; }

   WNDPROC m_pfnSuperWindowProc;

private:
   LRESULT RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
   {
      MSG msg = {hWnd, uMsg, wParam, lParam, 0, {0, 0}};
      const MSG *outer = this->m_pCurrentMsg;
      this->m_pCurrentMsg = &msg;
      LRESULT result = 0;
      BOOL handled = FALSE;
      try {
         handled = this->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, 0);
      } catch (...) {
         HandleUncaughtException();
         handled = FALSE;
         result = 0;
      }
      this->m_pCurrentMsg = outer;
      if (uMsg == WM_NCDESTROY) {
         if (!handled) {
            result = DefWindowProc(uMsg, wParam, lParam);
         }
         // A subclassed window that outlives us in someone else's hands must not call back here.
         WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
         if (m_pfnSuperWindowProc != ::DefWindowProcW && current == GetWindowProc()) {
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
         }
         detail::DetachObject(hWnd, detail::kImplProp);
         this->m_dwState |= CWindowImplRoot<TBase>::kStateDestroyed;
      } else if (!handled) {
         result = DefWindowProc(uMsg, wParam, lParam);
      }
      // Destroyed from inside a handler: finish once the outermost message returns.
      if ((this->m_dwState & CWindowImplRoot<TBase>::kStateDestroyed) && !outer) {
         this->m_dwState &= ~CWindowImplRoot<TBase>::kStateDestroyed;
         HWND gone = this->m_hWnd;
         this->m_hWnd = nullptr;
         m_pfnSuperWindowProc = ::DefWindowProcW;
         OnFinalMessage(gone);
      }
      return result;
   }
};

template <class T, class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImpl : public CWindowImplBaseT<TBase, TWinTraits> {
public:
   DECLARE_WND_CLASS(nullptr)

   HWND Create(HWND parent, _U_RECT rect = nullptr, LPCTSTR windowName = nullptr, DWORD style = 0,
               DWORD exStyle = 0, _U_MENUorID menuOrId = 0U, LPVOID createParam = nullptr)
   {
      CWndClassInfo &info = T::GetWndClassInfo();
      // A base such as a control wrapper names the class to superclass.
      if (!info.m_lpszOrigName && !info.m_wc.lpszClassName && TBase::GetWndClassName()) {
         info.m_lpszOrigName = TBase::GetWndClassName();
      }
      ATOM atom = info.Register(this->GetWindowProc(), &this->m_pfnSuperWindowProc);
      style = T::GetWndStyle(style);
      exStyle = T::GetWndExStyle(exStyle);
      return CWindowImplBaseT<TBase, TWinTraits>::Create(parent, rect, windowName, style, exStyle, menuOrId,
                                                         atom, createParam);
   }
};

// A child window (usually a control) whose messages go to an ALT_MSG_MAP section of the
// object that contains it. Create() makes the control and then subclasses it, so the
// control's own creation messages are not routed.
template <class TBase = CWindow>
class CContainedWindowT : public TBase {
public:
   CContainedWindowT(HWND hWnd = nullptr)
      : TBase(hWnd), m_pfnSuperWindowProc(::DefWindowProcW), m_lpszClassName(TBase::GetWndClassName()),
        m_pObject(nullptr), m_dwMsgMapID(0), m_pCurrentMsg(nullptr)
   {
   }
   CContainedWindowT(LPCTSTR className, CMessageMap *object, DWORD msgMapId = 0)
      : m_pfnSuperWindowProc(::DefWindowProcW), m_lpszClassName(className), m_pObject(object),
        m_dwMsgMapID(msgMapId), m_pCurrentMsg(nullptr)
   {
   }
   CContainedWindowT(CMessageMap *object, DWORD msgMapId = 0)
      : m_pfnSuperWindowProc(::DefWindowProcW), m_lpszClassName(TBase::GetWndClassName()), m_pObject(object),
        m_dwMsgMapID(msgMapId), m_pCurrentMsg(nullptr)
   {
   }
   CContainedWindowT(const CContainedWindowT &) = delete;
   CContainedWindowT &operator=(const CContainedWindowT &) = delete;
   ~CContainedWindowT()
   {
      if (this->m_hWnd) {
         UnsubclassWindow(TRUE);
      }
   }

   void SwitchMessageMap(DWORD msgMapId) { m_dwMsgMapID = msgMapId; }
   WNDPROC GetWindowProc() const { return WindowProc; }

   HWND Create(HWND parent, _U_RECT rect = nullptr, LPCTSTR windowName = nullptr, DWORD style = 0,
               DWORD exStyle = 0, _U_MENUorID menuOrId = 0U, LPVOID createParam = nullptr)
   {
      if (this->m_hWnd || !m_lpszClassName) {
         return nullptr;
      }
      RECT *rc = rect.m_lpRect ? rect.m_lpRect : &CWindow::rcDefault;
      HWND wnd = ::CreateWindowExW(exStyle, detail::WideNameArg(m_lpszClassName), detail::WideArg(windowName), style,
                                   rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, parent,
                                   menuOrId.m_hMenu, _Module.GetModuleInstance(), createParam);
      if (wnd && !SubclassWindow(wnd)) {
         ::DestroyWindow(wnd);
         return nullptr;
      }
      return wnd;
   }

   BOOL SubclassWindow(HWND wnd)
   {
      if (this->m_hWnd || !::IsWindow(wnd) || detail::FindObject(wnd, detail::kContainedProp)) {
         return FALSE;
      }
      this->m_hWnd = wnd;
      detail::AttachObject(wnd, detail::kContainedProp, this);
      WNDPROC old = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
      if (!old) {
         detail::DetachObject(wnd, detail::kContainedProp);
         this->m_hWnd = nullptr;
         return FALSE;
      }
      m_pfnSuperWindowProc = old;
      return TRUE;
   }

   HWND UnsubclassWindow(BOOL force = FALSE)
   {
      if (!this->m_hWnd) {
         return nullptr;
      }
      WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(this->m_hWnd, GWLP_WNDPROC));
      if (current != WindowProc && !force) {
         return nullptr;
      }
      if (current == WindowProc) {
         ::SetWindowLongPtrW(this->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
      }
      m_pfnSuperWindowProc = ::DefWindowProcW;
      detail::DetachObject(this->m_hWnd, detail::kContainedProp);
      HWND wnd = this->m_hWnd;
      this->m_hWnd = nullptr;
      return wnd;
   }

   LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
   {
      return ::CallWindowProcW(m_pfnSuperWindowProc, this->m_hWnd, uMsg, wParam, lParam);
   }
   LRESULT DefWindowProc()
   {
      return m_pCurrentMsg ? DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam) : 0;
   }

   static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
   {
      auto *self = static_cast<CContainedWindowT *>(detail::FindObject(hWnd, detail::kContainedProp));
      if (!self) {
         return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
      }
      MSG msg = {hWnd, uMsg, wParam, lParam, 0, {0, 0}};
      const MSG *outer = self->m_pCurrentMsg;
      self->m_pCurrentMsg = &msg;
      LRESULT result = 0;
      BOOL handled = FALSE;
      try {
         handled = self->m_pObject &&
                   self->m_pObject->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, self->m_dwMsgMapID);
      } catch (...) {
         HandleUncaughtException();
         handled = FALSE;
         result = 0;
      }
      self->m_pCurrentMsg = outer;
      if (!handled) {
         result = self->DefWindowProc(uMsg, wParam, lParam);
      }
      if (uMsg == WM_NCDESTROY) {
         self->UnsubclassWindow(TRUE);
      }
      return result;
   }

   WNDPROC m_pfnSuperWindowProc;
   LPCTSTR m_lpszClassName;
   CMessageMap *m_pObject;
   DWORD m_dwMsgMapID;
   const MSG *m_pCurrentMsg;
};

typedef CContainedWindowT<CWindow> CContainedWindow;

} // namespace atl
