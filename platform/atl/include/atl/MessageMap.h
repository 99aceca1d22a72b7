// Message maps: a class lists the messages it handles between BEGIN_MSG_MAP and END_MSG_MAP.
// A handler gets bHandled set to TRUE; clearing it lets the message fall through to the next
// entry and finally to the default procedure.
#pragma once

#include <windows.h>
#include <ole2.h>
// Reflected notifications arrive as OCM_ + message (OCM__BASE 0x2000); olectl.h has them.
#include <olectl.h>

namespace atl {

// Every class with a message map derives from this; ProcessWindowMessage is its first virtual.
class CMessageMap {
public:
   virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult,
                                     DWORD dwMsgMapID = 0) = 0;
};

namespace detail {

inline bool InRange(UINT value, UINT first, UINT last)
{
   return value >= first && value <= last;
}

} // namespace detail

} // namespace atl

#define BEGIN_MSG_MAP(theClass)                                                                    \
public:                                                                                            \
   BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult, \
                             DWORD dwMsgMapID = 0)                                                 \
   {                                                                                               \
      BOOL bHandled = TRUE;                                                                        \
      (void)hWnd;                                                                                  \
      (void)uMsg;                                                                                  \
      (void)wParam;                                                                                \
      (void)lParam;                                                                                \
      (void)lResult;                                                                               \
      (void)bHandled;                                                                              \
      switch (dwMsgMapID) {                                                                        \
      case 0:

#define ALT_MSG_MAP(msgMapID) \
      break;                  \
      case msgMapID:

#define MESSAGE_HANDLER(msg, func)                           \
   if (uMsg == static_cast<UINT>(msg)) {                     \
      bHandled = TRUE;                                       \
      lResult = func(uMsg, wParam, lParam, bHandled);        \
      if (bHandled) {                                        \
         return TRUE;                                        \
      }                                                      \
   }

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)       \
   if (::atl::detail::InRange(uMsg, msgFirst, msgLast)) {    \
      bHandled = TRUE;                                       \
      lResult = func(uMsg, wParam, lParam, bHandled);        \
      if (bHandled) {                                        \
         return TRUE;                                        \
      }                                                      \
   }

#define ATL_COMMAND_ENTRY_(condition, func)                                                          \
   if (uMsg == WM_COMMAND && (condition)) {                                                          \
      bHandled = TRUE;                                                                               \
      lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);      \
      if (bHandled) {                                                                                \
         return TRUE;                                                                                \
      }                                                                                              \
   }

#define COMMAND_HANDLER(id, code, func) \
   ATL_COMMAND_ENTRY_(LOWORD(wParam) == static_cast<WORD>(id) && HIWORD(wParam) == static_cast<WORD>(code), func)
#define COMMAND_ID_HANDLER(id, func) ATL_COMMAND_ENTRY_(LOWORD(wParam) == static_cast<WORD>(id), func)
#define COMMAND_CODE_HANDLER(code, func) ATL_COMMAND_ENTRY_(HIWORD(wParam) == static_cast<WORD>(code), func)
#define COMMAND_RANGE_HANDLER(idFirst, idLast, func) \
   ATL_COMMAND_ENTRY_(::atl::detail::InRange(LOWORD(wParam), idFirst, idLast), func)
#define COMMAND_RANGE_CODE_HANDLER(idFirst, idLast, code, func)                                     \
   ATL_COMMAND_ENTRY_(::atl::detail::InRange(LOWORD(wParam), idFirst, idLast) &&                    \
                         HIWORD(wParam) == static_cast<WORD>(code),                                 \
                      func)

#define ATL_NOTIFY_ENTRY_(condition, func)                                                          \
   if (uMsg == WM_NOTIFY && (condition)) {                                                          \
      bHandled = TRUE;                                                                              \
      lResult = func(static_cast<int>(wParam), reinterpret_cast<LPNMHDR>(lParam), bHandled);        \
      if (bHandled) {                                                                               \
         return TRUE;                                                                               \
      }                                                                                             \
   }
#define ATL_NMHDR_ (reinterpret_cast<LPNMHDR>(lParam))

#define NOTIFY_HANDLER(id, cd, func) \
   ATL_NOTIFY_ENTRY_(ATL_NMHDR_->idFrom == static_cast<UINT_PTR>(id) && ATL_NMHDR_->code == static_cast<UINT>(cd), func)
#define NOTIFY_ID_HANDLER(id, func) ATL_NOTIFY_ENTRY_(ATL_NMHDR_->idFrom == static_cast<UINT_PTR>(id), func)
#define NOTIFY_CODE_HANDLER(cd, func) ATL_NOTIFY_ENTRY_(ATL_NMHDR_->code == static_cast<UINT>(cd), func)
#define NOTIFY_RANGE_HANDLER(idFirst, idLast, func) \
   ATL_NOTIFY_ENTRY_(::atl::detail::InRange(static_cast<UINT>(ATL_NMHDR_->idFrom), idFirst, idLast), func)
#define NOTIFY_RANGE_CODE_HANDLER(idFirst, idLast, cd, func)                                        \
   ATL_NOTIFY_ENTRY_(::atl::detail::InRange(static_cast<UINT>(ATL_NMHDR_->idFrom), idFirst, idLast) && \
                        ATL_NMHDR_->code == static_cast<UINT>(cd),                                  \
                     func)

#define CHAIN_MSG_MAP(theChainClass)                                                     \
   if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) {       \
      return TRUE;                                                                       \
   }
#define CHAIN_MSG_MAP_ALT(theChainClass, msgMapID)                                              \
   if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, msgMapID)) {    \
      return TRUE;                                                                              \
   }
#define CHAIN_MSG_MAP_MEMBER(theChainMember)                                                 \
   if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) {         \
      return TRUE;                                                                           \
   }
#define CHAIN_MSG_MAP_ALT_MEMBER(theChainMember, msgMapID)                                           \
   if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, msgMapID)) {       \
      return TRUE;                                                                                   \
   }

// Sends the notifications a parent receives back to the child that sent them (OCM_ messages);
// needs the class to derive from CWindowImplRoot (CWindowImpl, CDialogImpl).
#define REFLECT_NOTIFICATIONS()                                             \
   {                                                                        \
      bHandled = TRUE;                                                      \
      lResult = this->ReflectNotifications(uMsg, wParam, lParam, bHandled); \
      if (bHandled) {                                                       \
         return TRUE;                                                       \
      }                                                                     \
   }

// In a control: gives reflected notifications nobody handled the default answer.
#define DEFAULT_REFLECTION_HANDLER()                                                    \
   if (::atl::DefaultReflectionHandler(hWnd, uMsg, wParam, lParam, lResult)) {          \
      return TRUE;                                                                      \
   }

#define END_MSG_MAP() \
      break;          \
      default:        \
         break;       \
      }               \
      return FALSE;   \
   }

namespace atl {

// Answers an unhandled OCM_ message as the system would have answered the original one.
inline BOOL DefaultReflectionHandler(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult)
{
   switch (uMsg) {
   case OCM_COMMAND:
   case OCM_NOTIFY:
   case OCM_PARENTNOTIFY:
   case OCM_DRAWITEM:
   case OCM_MEASUREITEM:
   case OCM_COMPAREITEM:
   case OCM_DELETEITEM:
   case OCM_VKEYTOITEM:
   case OCM_CHARTOITEM:
   case OCM_HSCROLL:
   case OCM_VSCROLL:
   case OCM_CTLCOLORBTN:
   case OCM_CTLCOLORDLG:
   case OCM_CTLCOLOREDIT:
   case OCM_CTLCOLORLISTBOX:
   case OCM_CTLCOLORMSGBOX:
   case OCM_CTLCOLORSCROLLBAR:
   case OCM_CTLCOLORSTATIC:
      lResult = ::DefWindowProcW(hWnd, uMsg - OCM__BASE, wParam, lParam);
      return TRUE;
   default:
      return FALSE;
   }
}

} // namespace atl
