// The template every status page is built on: a modeless child dialog with a white background,
// three bold fonts, fixed text colours for a few control ids, keyboard navigation while shown,
// an extent the status pane scrolls by, and one handler for the page buttons that start
// application commands.
#pragma once

#include "atl/Atl.h"
#include "zoltCtxEvents.h"

#include "cui/DlgMgr.h"
#include "cui/Registry.h"
#include "vmdb/VmdbInterfaces.h"

#include <windows.h>

#include <string>

// What the status pane needs of a page, whatever its class.
class CZOLTStatusPage {
public:
   virtual ~CZOLTStatusPage() = default;
   // Creates the page as a hidden child of `parent`; null when that failed.
   virtual HWND Create(HWND parent, HMODULE resLib) = 0;
   virtual HWND GetPageWindow() const = 0;
   virtual SIZE GetExtent() const = 0;
   // Saves what the user typed on the page (pages with a notes editor).
   virtual void SaveNotes() {}
};

namespace statuspage {

// Control ids the template gives a look or a command to.
enum {
   kTitleId = 1060,
   kHeadingId = 1061,
   kHintId = 1081,
   kSectionId = 1162,
   kWarningId = 1143,
};

constexpr COLORREF kHeadingColor = RGB(103, 121, 129);
constexpr COLORREF kWarningColor = RGB(132, 32, 32);
constexpr COLORREF kLinkColor = RGB(0, 102, 255);
constexpr COLORREF kDisabledColor = RGB(128, 128, 128);
constexpr COLORREF kBackgroundColor = RGB(255, 255, 255);
constexpr COLORREF kLabelColor = RGB(204, 204, 204);
constexpr COLORREF kNotesCaptionColor = RGB(106, 127, 151);

// Text colour of a page control by id; 0 (the dialog itself) and unknown ids are black.
COLORREF TextColorFor(int controlId);

// Heights of the plain, large and medium bold fonts made from a dialog font of height `h`
// (usually negative): h, h*3/2 and h*6/5, truncated toward zero.
struct FontHeights {
   LONG plain;
   LONG large;
   LONG medium;
};
FontHeights BoldFontHeights(LONG h);

// Grows `extent` so it reaches the right and bottom edges of `child` (page client coordinates).
void GrowExtent(SIZE &extent, const RECT &child);

// The stretch rule of the pages: a stretched control keeps its left (top) edge and its far edge
// becomes the larger of the client size less 10 and its near edge plus 100.
LONG StretchedEdge(LONG nearEdge, LONG clientSize);

// The command a page button starts (see CZOLTStatusBase::OnButton).
enum class PageCommand {
   kNone,
   kNewVMAndOpen,
   kOpenVM,
   kConnectToHost,
   kEditHostSettings,
   kVMSettings,
   kNewTeam,
   kNewZephroTemplate,
   kOpenFile,
};
PageCommand CommandOfButton(int controlId);
// True for the ids whose WM_COMMAND the template handles, whatever the notify code.
bool IsPageButton(int controlId);

// Enter and Space stay with the focused control; every other message may be a dialog key.
bool IsKeyLeftToControl(const MSG &msg);

// Runs what a page button asks for; logs "CZOLTStatusBase::OnButton %d\n" first.
void RunPageButton(int controlId);

// Sets a control's text and sizes it to the text (in its own font), keeping position and Z order.
void SetTextAndFit(HWND window, const std::string &text);
// Sets a control's text and sizes it to 450 pixels wide and the height the text needs when
// wrapped within its present width.
void SetWrappedText(HWND window, const std::string &text);

// A new context on the application's database; null when there is no application.
IVmdbContextPtr NewPageContext();

}  // namespace statuspage

template <class T, int t_IDD>
class CZOLTStatusBase : public CDialogImpl<T>, public CCtxEvents<T, t_IDD>, public CZOLTStatusPage {
public:
   enum { IDD = t_IDD };

   CZOLTStatusBase() = default;
   ~CZOLTStatusBase() override { this->ReleaseEventSource(); }

   BEGIN_MSG_MAP(CZOLTStatusBase)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SHOWWINDOW, OnShowWindow)
      MESSAGE_HANDLER(WM_CTLCOLOREDIT, OnCtlColor)
      MESSAGE_HANDLER(WM_CTLCOLORBTN, OnCtlColor)
      MESSAGE_HANDLER(WM_CTLCOLORDLG, OnCtlColor)
      MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColor)
      ATL_COMMAND_ENTRY_(statuspage::IsPageButton(LOWORD(wParam)), OnButton)
      REFLECT_NOTIFICATIONS()
   END_MSG_MAP()

   HWND Create(HWND parent, HMODULE resLib) override
   {
      resLib_ = resLib;
      return CDialogImpl<T>::Create(parent);
   }
   HWND GetPageWindow() const override { return this->m_hWnd; }
   SIZE GetExtent() const override { return extent_; }

   // The keyboard hook given to the dialog manager while the page is shown.
   bool PreTranslateMessage(MSG *msg)
   {
      if (!msg || statuspage::IsKeyLeftToControl(*msg)) {
         return false;
      }
      return ::IsDialogMessageW(this->m_hWnd, msg) != FALSE;
   }

   // Every child, visible or not, widens the extent to its right and bottom edges; it never
   // shrinks.
   void ComputeExtent()
   {
      for (HWND child = ::GetWindow(this->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
         RECT rect = {};
         ::GetWindowRect(child, &rect);
         ::MapWindowPoints(nullptr, this->m_hWnd, reinterpret_cast<POINT *>(&rect), 2);
         statuspage::GrowExtent(extent_, rect);
      }
   }

protected:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
   {
      ctx_ = statuspage::NewPageContext();
      if (ctx_) {
         this->SetEventSource(ctx_);
      }
      brush_.reset(::CreateSolidBrush(statuspage::kBackgroundColor));
      CreateFonts();
      SendFont(this->m_hWnd, largeFont_);
      SendFont(::GetDlgItem(this->m_hWnd, statuspage::kTitleId), largeFont_);
      SendFont(::GetDlgItem(this->m_hWnd, statuspage::kHintId), mediumFont_);
      SendFont(::GetDlgItem(this->m_hWnd, statuspage::kHeadingId), mediumFont_);
      ComputeExtent();
      return 0;
   }

   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
   {
      if (::GetWindowLongA(this->m_hWnd, GWL_STYLE) & WS_VISIBLE) {
         UnregisterKeys();
      }
      for (atl::ScopedFont *font : {&boldFont_, &largeFont_, &mediumFont_}) {
         font->reset();
      }
      brush_.reset();
      this->ReleaseEventSource();
      ctx_ = nullptr;
      (void)bHandled;
      return 0;
   }

   LRESULT OnShowWindow(UINT, WPARAM wParam, LPARAM, BOOL &)
   {
      if (wParam) {
         if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
            dlgMgr->Register(this->m_hWnd, sigc::mem_fun(*this, &CZOLTStatusBase::PreTranslateMessage));
         }
      } else {
         UnregisterKeys();
      }
      return 0;
   }

   LRESULT OnCtlColor(UINT, WPARAM wParam, LPARAM lParam, BOOL &)
   {
      HWND control = reinterpret_cast<HWND>(lParam);
      int id = control == this->m_hWnd ? 0 : ::GetDlgCtrlID(control);
      ::SetTextColor(reinterpret_cast<HDC>(wParam), statuspage::TextColorFor(id));
      return reinterpret_cast<LRESULT>(brush_.get());
   }

   LRESULT OnButton(WORD, WORD id, HWND, BOOL &)
   {
      statuspage::RunPageButton(id);
      return 0;
   }

   HFONT GetBoldFont() const { return boldFont_; }
   HFONT GetLargeFont() const { return largeFont_; }
   HFONT GetMediumFont() const { return mediumFont_; }
   HBRUSH GetBackgroundBrush() const { return brush_; }
   HMODULE GetResLib() const { return resLib_; }
   const IVmdbContextPtr &GetPageContext() const { return ctx_; }

private:
   void CreateFonts()
   {
      HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(this->m_hWnd, WM_GETFONT, 0, 0));
      // The wide forms: a face name is text, and the code page cannot hold every one.
      LOGFONTW font = {};
      if (!dialogFont || !::GetObjectW(dialogFont, sizeof(font), &font)) {
         ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
      }
      statuspage::FontHeights heights = statuspage::BoldFontHeights(font.lfHeight);
      font.lfWeight = FW_BOLD;
      font.lfHeight = heights.plain;
      boldFont_.reset(::CreateFontIndirectW(&font));
      font.lfHeight = heights.large;
      largeFont_.reset(::CreateFontIndirectW(&font));
      font.lfHeight = heights.medium;
      mediumFont_.reset(::CreateFontIndirectW(&font));
   }
   static void SendFont(HWND window, HFONT font)
   {
      if (window && font) {
         ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      }
   }
   void UnregisterKeys()
   {
      if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
         dlgMgr->UnRegister(this->m_hWnd);
      }
   }

   SIZE extent_ = {0, 0};
   IVmdbContextPtr ctx_;
   atl::ScopedBrush brush_;
   atl::ScopedFont largeFont_;
   atl::ScopedFont mediumFont_;
   atl::ScopedFont boldFont_;
   HMODULE resLib_ = nullptr;
};
