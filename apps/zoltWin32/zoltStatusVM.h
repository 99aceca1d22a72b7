// The machine page: the summary of the current virtual machine (name, state, guest, file,
// hardware version, optional snapshot, clone and remote-display rows, notes, the screenshot of a
// suspended machine and its device list) with links to power it on, edit, clone it and clone it
// to a Zephro master. One page object follows whatever machine is current.
#pragma once

#include "zoltStatusBase.h"
#include "zoltStatusBtn.h"
#include "zoltStatusLbl.h"
#include "zoltStatusNotes.h"
#include "resource.h"

#include "tremappsdk/TremAppSdk.h"

#include <list>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class VM;
}

namespace statusvm {

// Control ids of template IDD_STATUS_VM.
enum {
   kTitle = 1060,
   kStateValue = 1053,
   kGuestValue = 1055,
   kFileValue = 1057,
   kVersionValue = 1059,
   kPowerButton = 1063,
   kSettingsButton = 1064,
   kCloneButton = 1213,
   kCloneZephroButton = 1260,
   kScreenshotButton = 1069,
   kNotes = 1070,
   kHardwarePlaceholder = 413,
   kSeparator = 414,
   kCommandsLabel = 1065,
   kHardwareLabel = 4132,
   kDetailsLabel = 1066,
   kScreenshotLabel = 1068,
   kSnapshotCaption = 1237,
   kSnapshotValue = 1238,
   kCloneCaption = 1211,
   kCloneValue = 1212,
   kRemoteCaption = 41895,
   kRemoteValue = 41896,
};

// The resource string naming a power state (0 on, 1 off, 2 suspended); 0 for any other.
unsigned PowerStateStringId(int powerState);
// Whether the power link is enabled in a power state.
bool IsPowerButtonEnabled(int powerState);
// The clone row's text: the ancestors one per line.
std::string JoinAncestors(const std::vector<std::string> &names);
// The listener text's resource string for the number of connected users.
unsigned RemoteDisplayStringId(size_t users);

// Tops of the optional rows, stacked from `top` one `step` apart in the order remote display,
// snapshot, clone; a hidden row takes no place.
struct RowTops {
   int remote;
   int snapshot;
   int clone;
};
RowTops StackOptionalRows(int top, int step, bool remote, bool snapshot, bool clone);

// What the screenshot part shows for a machine.
enum class ScreenshotAction { kHide, kKeep, kNoScreenshot, kRequest, kWait };
ScreenshotAction ChooseScreenshotAction(int uiMode, int powerState, bool hasBitmap, int configVersion,
                                        bool requestOutstanding);

// The page's suspend-screenshot request: one at a time, and an answer counts only for the
// machine it was asked for.
class ScreenshotRequest {
public:
   bool IsPending() const { return pending_; }
   // Marks a request out and returns its ticket.
   unsigned Begin()
   {
      pending_ = true;
      return ticket_;
   }
   // True for the answer to the request out (which is then over); false for a stale one.
   bool Accept(unsigned ticket)
   {
      if (!pending_ || ticket != ticket_) {
         return false;
      }
      pending_ = false;
      return true;
   }
   // The page moves on to another machine: an answer still to come is dropped, and the next
   // machine may ask at once.
   void Forget()
   {
      pending_ = false;
      ++ticket_;
   }

private:
   bool pending_ = false;
   unsigned ticket_ = 0;
};

}  // namespace statusvm

class CZOLTStatusVM : public CZOLTStatusBase<CZOLTStatusVM, IDD_STATUS_VM>,
                      public CTremappsdk_IDispEventImpl<1, CZOLTStatusVM, &DIID__IHardwareCtlEvents>,
                      public sigc::trackable {
public:
   typedef CZOLTStatusBase<CZOLTStatusVM, IDD_STATUS_VM> Base;

   CZOLTStatusVM();
   ~CZOLTStatusVM() override;

   BEGIN_MSG_MAP(CZOLTStatusVM)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      COMMAND_ID_HANDLER(statusvm::kScreenshotButton, OnScreenshotClicked)
      COMMAND_ID_HANDLER(statusvm::kPowerButton, OnPowerVM)
      COMMAND_ID_HANDLER(statusvm::kCloneButton, OnCloneVM)
      COMMAND_ID_HANDLER(statusvm::kCloneZephroButton, OnCloneToZephro)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

   BEGIN_SINK_MAP(CZOLTStatusVM)
      SINK_ENTRY_EX(1, DIID__IHardwareCtlEvents, tremappsdk::kHardwareEdit, OnHardwareCtlEdit)
   END_SINK_MAP()

   void SaveNotes() override { notes_.SaveNotes(); }

   void OnCurrentObjChange();
   void OnStateChange();
   void ResetScreenshotAndRefresh();
   void SetScreenshot(HBITMAP bitmap);
   void __stdcall OnHardwareCtlEdit();

   const std::string &GetVMPath() const { return vmPath_; }
   HBITMAP GetScreenshot() const { return screenshot_; }
   bool IsScreenshotRequested() const { return request_.IsPending(); }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnScreenshotClicked(WORD, WORD, HWND, BOOL &);
   LRESULT OnPowerVM(WORD, WORD, HWND, BOOL &);
   LRESULT OnCloneVM(WORD, WORD, HWND, BOOL &);
   LRESULT OnCloneToZephro(WORD, WORD, HWND, BOOL &);

   void OnScreenshotReady(std::string path, unsigned request);
   void RequestScreenshot(cui::VM *vm);
   void DeleteScreenshots();
   void PlaceThumbnail();
   void ShowOptionalRows(bool remote, bool snapshot, bool clone);
   void ClearFields();
   void SetHardwarePath(const std::string &path);
   void CreateHardwareControl();
   void StretchWidth(HWND window, LONG clientWidth);
   void StretchHeight(HWND window, LONG clientHeight);
   HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
   cui::VM *FindVM() const;

   CZOLTStatusBtn power_;
   CZOLTStatusBtn settings_;
   CZOLTStatusBtn clone_;
   CZOLTStatusBtn cloneZephro_;
   CZOLTStatusBtn screenshotButton_;
   CZOLTStatusLbl commandsLabel_;
   CZOLTStatusLbl hardwareLabel_;
   CZOLTStatusLbl detailsLabel_;
   CZOLTStatusLbl screenshotLabel_;
   CZOLTStatusLbl separator_;
   CZOLTStatusNotes notes_;
   HWND hardwareHost_ = nullptr;
   IHardwareCtlPtr hardware_;
   atl::ScopedBrush greyBrush_;
   atl::ScopedBrush slateBrush_;
   atl::ScopedBitmap screenshot_;
   atl::ScopedBitmap scaled_;
   RECT thumbArea_ = {0, 0, 0, 0};
   std::string vmPath_;
   std::string notesText_;
   statusvm::ScreenshotRequest request_;
   std::list<sigc::connection> connections_;
   sigc::connection currentObjConnection_;
   HMODULE riched_ = nullptr;
};
