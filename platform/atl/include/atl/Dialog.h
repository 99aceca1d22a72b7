// CDialogImpl: a dialog from the resource template T::IDD, modal (DoModal) or modeless
// (Create), whose messages go through the object's message map. Nothing is handled by default:
// the map decides what IDOK and IDCANCEL do. Dialogs are Unicode windows, like CWindowImpl's.
#pragma once

#include "atl/WindowImpl.h"

namespace atl {

template <class TBase = CWindow>
class CDialogImplBaseT : public CWindowImplRoot<TBase> {
public:
   CDialogImplBaseT() : m_bModal(false) {}
   ~CDialogImplBaseT() override
   {
      // The object goes before its window: the dialog manager alone answers from now on.
      if (this->m_hWnd && detail::FindObject(this->m_hWnd, detail::kImplProp) == this) {
         detail::Orphan(this->m_hWnd, detail::kImplProp);
      }
   }

   virtual DLGPROC GetDialogProc() { return DialogProc; }
   static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
   {
      void *found = detail::FindObject(hWnd, detail::kImplProp);
      if (found == detail::kOrphan) {
         if (uMsg == WM_NCDESTROY) {
            detail::DetachObject(hWnd, detail::kImplProp);
         }
         return FALSE;
      }
      auto *self = static_cast<CDialogImplBaseT *>(found);
      if (!self) {
         self = static_cast<CDialogImplBaseT *>(detail::PopCreating(detail::kCreateDialog));
         if (!self) {
            return FALSE;
         }
         self->m_hWnd = hWnd;
         detail::AttachObject(hWnd, detail::kImplProp, self);
      }
      return self->RouteMessage(hWnd, uMsg, wParam, lParam);
   }

   BOOL MapDialogRect(LPRECT rect) { return ::MapDialogRect(this->m_hWnd, rect); }
   // A dialog's default processing is the dialog manager's, after the procedure answers FALSE.
   LRESULT DefWindowProc() { return 0; }

   // Called once the window is gone (after WM_NCDESTROY); `delete this` is allowed here.
   virtual void OnFinalMessage(HWND hWnd) { (void)hWnd; }

protected:
   bool m_bModal;

private:
   INT_PTR RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
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
      }
      this->m_pCurrentMsg = outer;
      INT_PTR answer = FALSE;
      if (handled) {
         switch (uMsg) {
         // These answer through the procedure's return value, not DWLP_MSGRESULT.
         case WM_COMPAREITEM:
         case WM_VKEYTOITEM:
         case WM_CHARTOITEM:
         case WM_INITDIALOG:
         case WM_QUERYDRAGICON:
         case WM_CTLCOLORMSGBOX:
         case WM_CTLCOLOREDIT:
         case WM_CTLCOLORLISTBOX:
         case WM_CTLCOLORBTN:
         case WM_CTLCOLORDLG:
         case WM_CTLCOLORSCROLLBAR:
         case WM_CTLCOLORSTATIC:
            answer = static_cast<INT_PTR>(result);
            break;
         default:
            if (uMsg != WM_NCDESTROY) {
               ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
            }
            answer = TRUE;
            break;
         }
      }
      if (uMsg == WM_NCDESTROY) {
         detail::DetachObject(hWnd, detail::kImplProp);
         this->m_dwState |= CWindowImplRoot<TBase>::kStateDestroyed;
      }
      if ((this->m_dwState & CWindowImplRoot<TBase>::kStateDestroyed) && !outer) {
         this->m_dwState &= ~CWindowImplRoot<TBase>::kStateDestroyed;
         HWND gone = this->m_hWnd;
         this->m_hWnd = nullptr;
         OnFinalMessage(gone);
      }
      return answer;
   }
};

template <class T, class TBase = CWindow>
class CDialogImpl : public CDialogImplBaseT<TBase> {
public:
   // Runs the dialog until EndDialog; -1 when the template cannot be loaded.
   INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM initParam = 0)
   {
      if (this->m_hWnd) {
         return -1;
      }
      this->m_bModal = true;
      detail::PushCreating(detail::kCreateDialog, static_cast<CDialogImplBaseT<TBase> *>(this));
      INT_PTR result = ::DialogBoxParamW(_Module.GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), parent,
                                         this->GetDialogProc(), initParam);
      detail::DiscardCreating(detail::kCreateDialog, static_cast<CDialogImplBaseT<TBase> *>(this));
      return result;
   }

   HWND Create(HWND parent, LPARAM initParam = 0)
   {
      if (this->m_hWnd) {
         return nullptr;
      }
      this->m_bModal = false;
      detail::PushCreating(detail::kCreateDialog, static_cast<CDialogImplBaseT<TBase> *>(this));
      HWND wnd = ::CreateDialogParamW(_Module.GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), parent,
                                      this->GetDialogProc(), initParam);
      detail::DiscardCreating(detail::kCreateDialog, static_cast<CDialogImplBaseT<TBase> *>(this));
      return wnd;
   }

   // Ends a modal dialog with `result`; a modeless one is destroyed.
   BOOL EndDialog(int result)
   {
      if (this->m_bModal) {
         return ::EndDialog(this->m_hWnd, result);
      }
      return ::DestroyWindow(this->m_hWnd);
   }

   // No m_hWnd reset here: OnFinalMessage may already have deleted the object.
   BOOL DestroyWindow() { return ::DestroyWindow(this->m_hWnd); }
};

} // namespace atl
