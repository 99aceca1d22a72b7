#include "zoltStatusNotes.h"

#include "zoltAppDb.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"
#include "resource.h"

#include "atl/Gdi.h"
#include "cui/Error.h"
#include "cui/Registry.h"
#include "cui/RpcMgr.h"
#include "tremorybase/Log.h"

#include <cstdlib>
#include <vector>

namespace statusnotes {

std::string NotesOf(const std::string &text, const std::string &invitation)
{
   return !invitation.empty() && text == invitation ? std::string() : text;
}

bool ShouldSave(bool changed, bool hasContext, const std::string &objectPath, const std::string &requestKey)
{
   return changed && hasContext && !objectPath.empty() && !requestKey.empty();
}

}  // namespace statusnotes

namespace {

constexpr int kCaptionBand = 15;

}  // namespace

bool CZOLTStatusNotes::Attach(HWND window, IVmdbContext *ctx)
{
   if (!window || !SubclassWindow(window)) {
      return false;
   }
   ctx_ = ctx;
   return true;
}

void CZOLTStatusNotes::SetLook(HBRUSH frame, HBRUSH fill, HFONT captionFont)
{
   frameBrush_ = frame;
   fillBrush_ = fill;
   captionFont_ = captionFont;
   if (m_hWnd) {
      // The caption band changes the client area.
      SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
   }
}

void CZOLTStatusNotes::SetTarget(const std::string &objectPath, const std::string &requestKey, bool asCommand,
                                 const std::string &operation)
{
   // Text typed for the object being left belongs to that object.
   if (objectPath != objectPath_ || requestKey != requestKey_) {
      SaveNotes();
      changed_ = false;
   }
   objectPath_ = objectPath;
   requestKey_ = requestKey;
   asCommand_ = asCommand;
   operation_ = operation;
}

void CZOLTStatusNotes::ShowNotes(const std::string &notes)
{
   bool focused = m_hWnd && ::GetFocus() == m_hWnd;
   SetTextQuietly(notes.empty() && !focused ? invitation_ : notes);
}

std::string CZOLTStatusNotes::GetNotes() const
{
   return m_hWnd ? statusnotes::NotesOf(GetWindowTextUtf8(m_hWnd), invitation_) : std::string();
}

void CZOLTStatusNotes::SetTextQuietly(const std::string &text)
{
   if (!m_hWnd) {
      return;
   }
   // Setting an edit control's text costs a full re-layout of its lines, even when it is the same.
   if (GetWindowTextUtf8(m_hWnd) == text) {
      return;
   }
   settingText_ = true;
   SetWindowTextUtf8(m_hWnd, text);
   settingText_ = false;
}

void CZOLTStatusNotes::SaveNotes()
{
   if (!statusnotes::ShouldSave(changed_, ctx_ != nullptr, objectPath_, requestKey_) || !m_hWnd) {
      return;
   }
   std::string text = GetNotes();
   try {
      vmdbLayout::rpc::Mgr *rpcMgr = cui::GetRpcMgr();
      if (!rpcMgr) {
         throw cui::Error("no request manager");
      }
      if (asCommand_) {
         vmdbLayout::rpc::Cmd cmd = rpcMgr->NewCmd(objectPath_ + "cmd/##", operation_);
         std::string generation = zoltdb::ReadText(ctx_, (objectPath_ + "vmx/cfgState/val/generationNo").c_str());
         cmd["val/generationNo/"] = std::atol(generation.c_str());
         cmd["val/annotation/"] = text;
         cmd->abort.connect(sigc::mem_fun(*this, &CZOLTStatusNotes::OnSaveFailed));
         cmd->Invoke();
      } else {
         vmdbLayout::rpc::Req req = rpcMgr->NewReq(objectPath_ + "req/#");
         req[requestKey_] = text;
         req->abort.connect(sigc::mem_fun(*this, &CZOLTStatusNotes::OnSaveFailed));
         req->Invoke();
      }
   } catch (const _com_error &error) {
      Warning("CZOLTStatusNotes::SaveNotes failed: hr = 0x%x %s\n", static_cast<unsigned>(error.Error()),
              zoltdb::Text(error.Description()).c_str());
   } catch (const cui::Error &error) {
      Warning("CZOLTStatusNotes::SaveNotes error: %s", error.what());
   }
   changed_ = false;
}

void CZOLTStatusNotes::OnSaveFailed(bool cancelled, cui::Error error)
{
   if (!cancelled) {
      Warning("CZOLTStatusNotes::SaveNotes error: %s", error.what());
   }
}

LRESULT CZOLTStatusNotes::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   if (!frameBrush_) {
      bHandled = FALSE;
      return 0;
   }
   // Both forms of the message start with the window rectangle that becomes the client's.
   RECT *rect = reinterpret_cast<RECT *>(lParam);
   ::InflateRect(rect, -1, -1);
   rect->top += kCaptionBand;
   return 0;
}

LRESULT CZOLTStatusNotes::OnNcPaint(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   if (!frameBrush_) {
      bHandled = FALSE;
      return 0;
   }
   atl::ScopedWindowDC dc(m_hWnd, atl::ScopedWindowDC::kWholeWindow);
   RECT rect = {};
   ::GetWindowRect(m_hWnd, &rect);
   ::OffsetRect(&rect, -rect.left, -rect.top);
   // Only the frame and the caption band: the client area paints itself.
   RECT client = rect;
   ::InflateRect(&client, -1, -1);
   client.top += kCaptionBand;
   ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
   if (fillBrush_) {
      ::FillRect(dc, &rect, fillBrush_);
   }
   ::FrameRect(dc, &rect, frameBrush_);
   ::InflateRect(&rect, -4, -2);
   rect.bottom = rect.top + kCaptionBand - 2;
   atl::ScopedSelection font(dc, captionFont_);
   ::SetBkMode(dc, TRANSPARENT);
   ::SetTextColor(dc, RGB(255, 255, 255));
   std::string caption = LoadResString(IDS_NOTES_CAPTION);
   DrawTextUtf8(dc, caption, &rect, DT_SINGLELINE | DT_END_ELLIPSIS);
   return 0;
}

LRESULT CZOLTStatusNotes::OnSetFocus(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   // The invitation makes way for typing.
   if (!invitation_.empty() && GetWindowTextUtf8(m_hWnd) == invitation_) {
      SetTextQuietly("");
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTStatusNotes::OnReflectedCommand(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   switch (HIWORD(wParam)) {
   case EN_CHANGE:
      if (!settingText_) {
         changed_ = true;
      }
      return 0;
   case EN_KILLFOCUS:
      SaveNotes();
      if (::GetWindowTextLengthW(m_hWnd) == 0) {
         SetTextQuietly(invitation_);
      }
      return 0;
   default:
      bHandled = FALSE;
      return 0;
   }
}

LRESULT CZOLTStatusNotes::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   notify_callbacks();
   SaveNotes();
   bHandled = FALSE;
   return 0;
}
