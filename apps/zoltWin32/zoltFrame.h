// The one top-level window of the program (class "ZOLTFrame"): its placement in the user's
// preferences, the command lines a second instance hands over, and the poll steps that keep
// running while a modal dialog has disabled it.
#pragma once

#include "atl/Atl.h"

#include "zoltCtxEvents.h"

#include "zoltMessages.h"

#include <windows.h>

#include <string>

#include <sigc++/sigc++.h>

typedef CWinTraits<0, 0> CZOLTFrameTraits;

class CZOLTFrame : public CWindowImpl<CZOLTFrame, CWindow, CZOLTFrameTraits>,
                   public CCtxEvents<CZOLTFrame, 1>,
                   public sigc::trackable {
public:
   static constexpr DWORD kStyle = 0x02CF0000;   // overlapped window with clip-children
   static constexpr UINT WM_POLL_STEP = WM_APP + 1;
   static constexpr UINT_PTR kPollTimer = 2;
   static constexpr UINT kPollTimerMs = 300;
   static constexpr int kDefaultNavbarWidth = 270;

   DECLARE_WND_CLASS_EX("ZOLTFrame", CS_DBLCLKS, COLOR_APPWORKSPACE)

   CZOLTFrame();
   ~CZOLTFrame() override;

   // Creates the window (no parent, default position and size, `title`).
   HWND CreateFrame(const char *title);

   // The window on which accelerators are translated; the frame itself until the command bar exists.
   HWND GetCmdbarWindow() const { return m_hWnd; }

   void RestorePlacement();
   // With `keepSize` only the position comes from the window; the stored size stays.
   void SavePlacement(bool keepSize);
   // Non-zero when the message was consumed.
   BOOL PreTranslateMessage(MSG *msg);
   bool GetCanFitWindow() const { return canFitWindow_; }
   void CallConsoleCtl();
   void RecalcLayout(bool applyFit, bool updateMode);

   BEGIN_MSG_MAP(CZOLTFrame)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_CLOSE, OnClose)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
      MESSAGE_HANDLER(WM_ENABLE, OnEnable)
      MESSAGE_HANDLER(WM_POLL_STEP, OnPollStep)
      MESSAGE_HANDLER(WM_TIMER, OnTimer)
   END_MSG_MAP()

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnEnable(UINT, WPARAM wParam, LPARAM, BOOL &);
   LRESULT OnPollStep(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);

   bool HasOtherFrame() const;

   IVmdbContextPtr ctx_;
   bool inLayout_ = false;
   bool created_ = false;
   bool enabled_ = true;
   bool canFitWindow_ = true;
   HICON largeIcon_ = nullptr;
   HICON smallIcon_ = nullptr;
};

// The text of a WM_COPYDATA: only data whose size is given by cbData and that holds a
// terminating zero within it. False for anything else.
bool ReadCopyDataText(const COPYDATASTRUCT *data, std::string &text);
// The answer to a handed-over command line: dwData 0 asks, 1 hands over, anything else is refused.
LRESULT AnswerHandOff(ULONG_PTR dwData, const std::string &commandLine);

