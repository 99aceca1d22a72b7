#include "zoltSnapshotDetails.h"

#include "zoltApp.h"
#include "zoltResources.h"
#include "zoltSnapshotMgr.h"
#include "zoltWndUtil.h"

#include "atl/UncaughtException.h"
#include "cui/Host.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/SnapshotUtil.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "tremapputil/ResString.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// Controls that keep their distance from the pane's right edge, and those that stretch with it.
bool MovesWithRight(int id)
{
   return id == IDC_SNAPSHOT_TAKE || id == IDC_SNAPSHOT_CLONE || id == IDC_SNAPSHOT_DELETE ||
          id == IDC_SNAPSHOT_SCREENSHOT_FRAME || id == IDC_SNAPSHOT_SCREENSHOT || id == IDC_SNAPSHOT_NO_SCREENSHOT;
}

bool StretchesRight(int id)
{
   return id == IDC_SNAPSHOT_GROUP || id == IDC_SNAPSHOT_NAME || id == IDC_SNAPSHOT_DESCRIPTION ||
          id == IDC_SNAPSHOT_NAME_LABEL || id == IDC_SNAPSHOT_DESCRIPTION_LABEL;
}

bool StretchesDown(int id)
{
   return id == IDC_SNAPSHOT_GROUP || id == IDC_SNAPSHOT_DESCRIPTION || id == IDC_SNAPSHOT_SCREENSHOT_FRAME ||
          id == IDC_SNAPSHOT_SCREENSHOT;
}

const int kLayoutIds[] = {IDC_SNAPSHOT_GROUP,           IDC_SNAPSHOT_NAME_LABEL,      IDC_SNAPSHOT_NAME,
                          IDC_SNAPSHOT_DESCRIPTION_LABEL, IDC_SNAPSHOT_DESCRIPTION,   IDC_SNAPSHOT_SCREENSHOT_FRAME,
                          IDC_SNAPSHOT_SCREENSHOT,      IDC_SNAPSHOT_NO_SCREENSHOT,   IDC_SNAPSHOT_TAKE,
                          IDC_SNAPSHOT_CLONE,           IDC_SNAPSHOT_DELETE};

}  // namespace

std::string FormatSnapshotTime(long long seconds)
{
   return wui::util::GetLocalTimeText(seconds);
}

CZOLTSnapshotDetails::CZOLTSnapshotDetails(CZOLTSnapshotMgr *mgr, cui::VM *vm)
   : mgr_(mgr), vm_(vm), tree_(vm ? vm->GetSnapshotTree() : nullptr)
{
}

CZOLTSnapshotDetails::~CZOLTSnapshotDetails()
{
   SetScreenshot(nullptr);
}

LRESULT CZOLTSnapshotDetails::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   ::SetWindowSubclass(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_NAME), EditProc, IDC_SNAPSHOT_NAME, reinterpret_cast<DWORD_PTR>(this));
   ::SetWindowSubclass(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_DESCRIPTION), EditProc, IDC_SNAPSHOT_DESCRIPTION,
                       reinterpret_cast<DWORD_PTR>(this));
   ::SendMessageW(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_NAME), EM_LIMITTEXT, cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH, 0);
   ::SendMessageW(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_DESCRIPTION), EM_LIMITTEXT, cui::SnapshotTree::MAX_DESCRIPTION_LENGTH, 0);
   // The group box frames the others from below, so clicks and paint reach them first.
   ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_GROUP), HWND_BOTTOM, 0, 0, 0, 0,
                  SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
   RECT client;
   GetClientRect(&client);
   initial_ = SIZE{client.right, client.bottom};
   for (int id : kLayoutIds) {
      places_.emplace_back(id, ChildRect(id));
   }
   Refill(true);
   return FALSE;
}

LRESULT CZOLTSnapshotDetails::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   // Screenshots and renames that answer later find no one.
   notify_callbacks();
   ::RemoveWindowSubclass(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_NAME), EditProc, IDC_SNAPSHOT_NAME);
   ::RemoveWindowSubclass(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_DESCRIPTION), EditProc, IDC_SNAPSHOT_DESCRIPTION);
   bHandled = FALSE;
   return 0;
}

RECT CZOLTSnapshotDetails::ChildRect(int id) const
{
   RECT rc = {};
   HWND child = ::GetDlgItem(m_hWnd, id);
   ::GetWindowRect(child, &rc);
   ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&rc), 2);
   return rc;
}

LRESULT CZOLTSnapshotDetails::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   if (places_.empty()) {
      return 0;
   }
   const int dx = LOWORD(lParam) - initial_.cx;
   const int dy = HIWORD(lParam) - initial_.cy;
   for (const auto &place : places_) {
      RECT rc = place.second;
      if (MovesWithRight(place.first)) {
         ::OffsetRect(&rc, dx, 0);
      } else if (StretchesRight(place.first)) {
         rc.right = std::max(static_cast<int>(rc.left), static_cast<int>(rc.right) + dx);
      }
      if (StretchesDown(place.first)) {
         rc.bottom = std::max(static_cast<int>(rc.top), static_cast<int>(rc.bottom) + dy);
      }
      ::SetWindowPos(::GetDlgItem(m_hWnd, place.first), nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
   }
   if (source_) {
      SetScreenshot(source_.release());
   }
   InvalidateRect(nullptr, TRUE);
   return 0;
}

LRESULT CZOLTSnapshotDetails::OnButton(WORD, WORD id, HWND, BOOL &)
{
   HWND mgrWnd = mgr_ ? mgr_->m_hWnd : ::GetParent(m_hWnd);
   ::SendMessageW(mgrWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, id)));
   return 0;
}

LRESULT CZOLTSnapshotDetails::OnEditChange(WORD, WORD, HWND, BOOL &)
{
   if (!filling_) {
      dirty_ = true;
   }
   return 0;
}

bool CZOLTSnapshotDetails::AllowEdit()
{
   if (!editAllowed_) {
      cui::Host *host = vm_ ? vm_->GetHost() : nullptr;
      const std::string hostPath = host ? host->GetPath() : std::string();
      IVmdbContext *ctx = gApp ? gApp->GetContext().GetInterfacePtr() : nullptr;
      editAllowed_ = TremAppUtil_CheckLockout(ctx, hostPath.c_str(), "lockoutEditVM");
   }
   return editAllowed_;
}

// The two edits: the first change asks the lockout (typing, pasting, cutting, deleting alike);
// Enter in the name commits instead of being typed.
LRESULT CALLBACK CZOLTSnapshotDetails::EditProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                DWORD_PTR data)
{
   auto *self = reinterpret_cast<CZOLTSnapshotDetails *>(data);
   try {
      switch (msg) {
      case WM_GETDLGCODE:
         if (id == IDC_SNAPSHOT_NAME) {
            const MSG *pending = reinterpret_cast<const MSG *>(lParam);
            if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
               return ::DefSubclassProc(wnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
            }
         }
         break;
      case WM_KEYDOWN:
         if (id == IDC_SNAPSHOT_NAME && wParam == VK_RETURN) {
            self->Rename();
            return 0;
         }
         if (wParam == VK_DELETE && !self->AllowEdit()) {
            return 0;
         }
         break;
      case WM_CHAR:
         if (id == IDC_SNAPSHOT_NAME && (wParam == '\r' || wParam == '\n')) {
            return 0;
         }
         // Ctrl+C and other control characters that change nothing need no permission.
         if ((wParam >= 0x20 || wParam == '\b' || wParam == '\r' || wParam == 0x16 || wParam == 0x18) &&
             !self->AllowEdit()) {
            return 0;
         }
         break;
      case WM_PASTE:
      case WM_CUT:
      case WM_CLEAR:
      case WM_UNDO:
      case EM_UNDO:
         if (!self->AllowEdit()) {
            return 0;
         }
         break;
      default:
         break;
      }
   } catch (...) {
      atl::HandleUncaughtException();
   }
   return ::DefSubclassProc(wnd, msg, wParam, lParam);
}

void CZOLTSnapshotDetails::SetSelection(const std::vector<int> &uids)
{
   if (uids == selection_) {
      return;
   }
   selection_ = uids;
   Update();
}

void CZOLTSnapshotDetails::Update()
{
   cui::Snapshot *shown = nullptr;
   if (selection_.size() == 1 && tree_) {
      shown = selection_[0] == 0 ? tree_->GetYAH() : tree_->GetSnapshot(selection_[0]);
      if (!shown) {
         selection_.clear();
      }
   }
   const int uid = shown ? shown->GetUID() : -1;
   const bool changed = shown != shown_ || uid != shownUid_;
   shown_ = shown;
   shownUid_ = uid;
   if (changed) {
      dirty_ = false;
      issued_ = false;
      editAllowed_ = false;
   }
   Refill(changed);
}

void CZOLTSnapshotDetails::Refill(bool shownChanged)
{
   if (!m_hWnd) {
      return;
   }
   filling_ = true;
   UINT title = IDS_SNAPSHOT_DETAILS;
   std::string titleText;
   const bool editable = shown_ && !shown_->IsYah();
   if (editable) {
      // What the user typed and has not committed, or committed and the host has not answered
      // yet, survives a refresh of the same snapshot.
      if (issued_ && shown_->GetDisplayName() == issuedName_ && shown_->GetDescription() == issuedDescription_) {
         issued_ = false;
      }
      if (!dirty_ && !issued_) {
         SetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_NAME, shown_->GetDisplayName());
         SetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_DESCRIPTION, shown_->GetDescription());
      }
      title = shown_->HasRecordings() ? IDS_SNAPSHOT_RECORDING_CREATED : IDS_SNAPSHOT_CREATED;
      titleText = tremapputil::ResString(title).Format({FormatSnapshotTime(shown_->GetTimestamp())});
   } else {
      SetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_NAME, "");
      SetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_DESCRIPTION, "");
      titleText = tremapputil::ResString(title).Text();
   }
   SetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_GROUP, titleText);
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_NAME), editable);
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_DESCRIPTION), editable);
   filling_ = false;

   if (shownChanged) {
      SetScreenshot(nullptr);
      if (editable && tree_ &&
          (shown_->GetPowerState() == cui::Snapshot::SUSPENDED || shown_->GetPowerState() == cui::Snapshot::POWERED_ON)) {
         tree_->GetScreenshot(shown_->GetUID(), sigc::mem_fun(*this, &CZOLTSnapshotDetails::OnScreenshot));
      } else if (shown_ && shown_->IsYah() && vm_ && vm_->GetPowerState() == cui::VM::SUSPENDED) {
         RequestSuspendScreenshot(vm_, sigc::mem_fun(*this, &CZOLTSnapshotDetails::OnSuspendScreenshot));
      }
   }
   UpdateButtons();
}

void CZOLTSnapshotDetails::UpdateButtons()
{
   const size_t count = selection_.size();
   bool hasYah = false;
   for (int uid : selection_) {
      hasYah = hasYah || uid == 0;
   }
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_TAKE),
                  count == 1 && selection_[0] == 0 && wui::util::snapshot::CanTakeSnapshot(vm_));
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_CLONE), count == 1);
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_DELETE), count >= 1 && !hasYah);
}

void CZOLTSnapshotDetails::SetScreenshot(HBITMAP bitmap)
{
   // The pictures shown until now go once the control holds the new one.
   atl::ScopedBitmap oldScaled(screenshot_.release());
   atl::ScopedBitmap oldSource(source_.release());
   if (oldSource.get() == bitmap) {
      oldSource.release();
   }
   source_.reset(bitmap);
   if (m_hWnd) {
      HWND picture = ::GetDlgItem(m_hWnd, IDC_SNAPSHOT_SCREENSHOT);
      if (bitmap) {
         RECT frame = ChildRect(IDC_SNAPSHOT_SCREENSHOT_FRAME);
         ::InflateRect(&frame, -3, -3);
         screenshot_.reset(ScaleBitmapToFit(m_hWnd, bitmap, frame));
         if (screenshot_) {
            ::SetWindowPos(picture, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
         }
      }
      HBITMAP previous = reinterpret_cast<HBITMAP>(
         ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(screenshot_.get())));
      if (previous && previous != oldScaled.get() && previous != screenshot_.get()) {
         ::DeleteObject(previous);   // a copy the control made
      }
      ::ShowWindow(picture, screenshot_ ? SW_SHOW : SW_HIDE);
      ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_NO_SCREENSHOT), screenshot_ ? SW_HIDE : SW_SHOW);
   }
}

void CZOLTSnapshotDetails::OnScreenshot(int uid, HBITMAP bitmap)
{
   // A picture asked for a snapshot no longer shown is dropped.
   if (!shown_ || uid != shownUid_) {
      if (bitmap) {
         ::DeleteObject(bitmap);
      }
      return;
   }
   SetScreenshot(bitmap);
}

void CZOLTSnapshotDetails::OnSuspendScreenshot(std::string path)
{
   if (shown_ && shown_->IsYah()) {
      SetScreenshot(LoadBitmapFile(path));
   }
}

void CZOLTSnapshotDetails::ShowError(const std::string &text)
{
   HWND owner = mgr_ && mgr_->m_hWnd ? mgr_->m_hWnd : m_hWnd;
   MessageBoxUtf8(owner, text, CZOLTApp::GetAppTitle(), MB_OK | MB_ICONERROR);
}

bool CZOLTSnapshotDetails::Rename()
{
   if (!m_hWnd || !shown_ || shown_->IsYah() || !tree_) {
      return true;
   }
   const std::string name = cui::utf8::Trim(GetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_NAME));
   const std::string description = cui::utf8::Trim(GetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_DESCRIPTION));
   std::string message;
   if (wui::util::snapshot::ValidateName(name, message) != 0 ||
       wui::util::snapshot::ValidateDescription(description, message) != 0) {
      ShowError(message);
      return false;
   }
   dirty_ = false;
   // Nothing changed, or this very rename is already on its way: no write and no rebuild of the
   // grid (a second request would only meet the first one's busy tree).
   if ((name == shown_->GetDisplayName() && description == shown_->GetDescription()) ||
       (issued_ && name == issuedName_ && description == issuedDescription_)) {
      return true;
   }
   issued_ = true;
   issuedName_ = name;
   issuedDescription_ = description;
   Log("CZOLTSnapshotDetails::Rename: %d \"%s\"\n", shown_->GetUID(), name.c_str());
   tree_->Rename(shown_->GetUID(), name, description, sigc::mem_fun(*this, &CZOLTSnapshotDetails::OnRenameFailed),
                 cui::DoneSlot());
   return true;
}

void CZOLTSnapshotDetails::OnRenameFailed(bool cancelled, cui::Error error)
{
   // The text the user committed stays for another try.
   issued_ = false;
   dirty_ = true;
   if (cancelled) {
      return;
   }
   Warning("CZOLTSnapshotDetails::Rename failed: %s\n", error.what());
   if (gApp) {
      gApp->OnOperationAborted(false, error);
   } else {
      ShowError(error.GetText());
   }
}
