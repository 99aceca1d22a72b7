#include "zoltStatusVM.h"

#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltCommandId.h"
#include "zoltMsg.h"
#include "zoltResources.h"
#include "zoltScreenshotDlg.h"
#include "zoltWndUtil.h"
#include "resource.h"

#include "cui/HardwareVersion.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"

#include <algorithm>

namespace {

const char kSnapshotListUnreadable[] =
   ZOLT_MSG("msg.zolt.statusVM.snapshotListUnreadable", "The snapshot list could not be read.");

}  // namespace

namespace statusvm {

unsigned PowerStateStringId(int powerState)
{
   switch (powerState) {
   case 0:
      return IDS_POWERED_ON;
   case 1:
      return IDS_POWERED_OFF;
   case 2:
      return IDS_SUSPENDED;
   default:
      return 0;
   }
}

bool IsPowerButtonEnabled(int powerState)
{
   return powerState != 0;
}

std::string JoinAncestors(const std::vector<std::string> &names)
{
   std::string text;
   for (size_t i = 0; i < names.size(); ++i) {
      text += (i ? "\r\n" : "") + names[i];
   }
   return text;
}

unsigned RemoteDisplayStringId(size_t users)
{
   return users == 1 ? IDS_REMOTE_DISPLAY_ONE_USER : IDS_REMOTE_DISPLAY_USERS;
}

RowTops StackOptionalRows(int top, int step, bool remote, bool snapshot, bool clone)
{
   (void)clone;
   RowTops tops = {top, top, top};
   if (remote) {
      tops.snapshot += step;
      tops.clone += step;
   }
   if (snapshot) {
      tops.clone += step;
   }
   return tops;
}

ScreenshotAction ChooseScreenshotAction(int uiMode, int powerState, bool hasBitmap, int configVersion,
                                        bool requestOutstanding)
{
   if (uiMode != 0 || powerState != 2) {
      return ScreenshotAction::kHide;
   }
   if (hasBitmap) {
      return ScreenshotAction::kKeep;
   }
   if (configVersion < 8) {
      return ScreenshotAction::kNoScreenshot;
   }
   return requestOutstanding ? ScreenshotAction::kWait : ScreenshotAction::kRequest;
}

}  // namespace statusvm

using namespace statusvm;

namespace {

constexpr LONG kHardwareHostStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
static_assert(kHardwareHostStyle == 0x56010000, "the hardware list's host keeps its style");

// The row step of the optional rows, measured once per process from the template.
int gRowStep = 0;

// A text set again is left alone: setting it repaints the field.
void SetText(HWND window, const std::string &text)
{
   if (window && GetWindowTextUtf8(window) != text) {
      SetWindowTextUtf8(window, text);
   }
}

// Moves a window to `top` within its parent; one already there is not touched.
void MoveToTop(HWND window, int top)
{
   if (!window) {
      return;
   }
   RECT rect = {};
   ::GetWindowRect(window, &rect);
   ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT *>(&rect), 2);
   if (rect.top != top) {
      ::SetWindowPos(window, nullptr, rect.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   }
}

RECT ChildRect(HWND parent, HWND child)
{
   RECT rect = {};
   ::GetWindowRect(child, &rect);
   ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
   return rect;
}

}  // namespace

CZOLTStatusVM::CZOLTStatusVM()
{
   riched_ = ::LoadLibraryA("riched20.dll");
}

CZOLTStatusVM::~CZOLTStatusVM()
{
   currentObjConnection_.disconnect();
   DisconnectAll(connections_);
   DeleteScreenshots();
   if (riched_) {
      ::FreeLibrary(riched_);
   }
}

cui::VM *CZOLTStatusVM::FindVM() const
{
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   return vmMgr && !vmPath_.empty() ? vmMgr->GetVMByVMPath(vmPath_) : nullptr;
}

LRESULT CZOLTStatusVM::OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   greyBrush_.reset(::CreateSolidBrush(statuspage::kLabelColor));
   slateBrush_.reset(::CreateSolidBrush(statuspage::kNotesCaptionColor));
   Base::OnInitDialog(uMsg, wParam, lParam, bHandled);

   power_.Attach(Item(kPowerButton), 12132, 12133, nullptr, IDC_HAND);
   settings_.Attach(Item(kSettingsButton), 12116, 12117, nullptr, IDC_HAND);
   clone_.Attach(Item(kCloneButton), 12118, 12119, nullptr, IDC_HAND);
   cloneZephro_.Attach(Item(kCloneZephroButton), 12120, 12121, nullptr, IDC_HAND);
   ::ShowWindow(Item(kCloneZephroButton), wui::util::HasZephroExtension() ? SW_SHOW : SW_HIDE);
   screenshotButton_.Attach(Item(kScreenshotButton), 0, 0, nullptr, IDC_HAND);

   commandsLabel_.Attach(Item(kCommandsLabel), IDB_STATUS_BAND, greyBrush_, false);
   hardwareLabel_.Attach(Item(kHardwareLabel), IDB_STATUS_BAND, greyBrush_, false);
   detailsLabel_.Attach(Item(kDetailsLabel), IDB_STATUS_BAND, greyBrush_, false);
   screenshotLabel_.Attach(Item(kScreenshotLabel), IDB_STATUS_BAND, greyBrush_, false);
   separator_.Attach(Item(kSeparator), 0, slateBrush_, true);

   notes_.Attach(Item(kNotes), GetPageContext());
   notes_.SetLook(slateBrush_, slateBrush_, GetBoldFont());
   thumbArea_ = ChildRect(m_hWnd, Item(kScreenshotButton));

   for (int id : {kCommandsLabel, kHardwareLabel, kDetailsLabel, kScreenshotLabel}) {
      ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(GetBoldFont()), TRUE);
   }
   for (int id : {1052, 1054, 1056, 1058}) {
      ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(GetBoldFont()), FALSE);
   }
   for (int id : {kSnapshotCaption, kCloneCaption, kRemoteCaption}) {
      ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(GetBoldFont()), TRUE);
   }

   CreateHardwareControl();

   bool restricted = gApp && gApp->IsCurrentVMGUIRestricted();
   for (int id : {kPowerButton, kSettingsButton, kCloneButton, kCloneZephroButton}) {
      ::EnableWindow(Item(id), restricted ? FALSE : TRUE);
      ::SetWindowLongA(Item(id), GWL_STYLE, ::GetWindowLongA(Item(id), GWL_STYLE) | BS_RIGHT);
   }

   notesText_ = LoadResString(IDS_NOTES_INVITATION);
   notes_.SetInvitation(notesText_);
   request_.Forget();
   ComputeExtent();

   if (wui::Prefs *prefs = wui::GetPrefs()) {
      currentObjConnection_ = prefs->currentObjChanged.connect(sigc::mem_fun(*this, &CZOLTStatusVM::OnCurrentObjChange));
   }
   OnCurrentObjChange();
   return 0;
}

void CZOLTStatusVM::CreateHardwareControl()
{
   RECT place = ChildRect(m_hWnd, Item(kHardwarePlaceholder));
   hardwareHost_ = ::CreateWindowExA(0, "AtlAxWin71", "", kHardwareHostStyle, place.left, place.top,
                                     place.right - place.left, place.bottom - place.top, m_hWnd, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr);
   if (!hardwareHost_) {
      Warning("CZOLTStatusVM::OnInitDialog: no host for the hardware list\n");
      return;
   }
   CComPtr<IUnknown> control;
   HRESULT hr = atl::AtlAxCreateControlEx(L"tremappsdk.HardwareCtl.9", hardwareHost_, nullptr, nullptr, &control);
   if (FAILED(hr) || !control) {
      Warning("CZOLTStatusVM::OnInitDialog: the hardware list cannot be created: 0x%x\n", static_cast<unsigned>(hr));
      return;
   }
   hardware_ = control.p;
   if (!hardware_) {
      return;
   }
   IVmdbContextPtr appCtx = gApp ? gApp->GetContext() : nullptr;
   hardware_->PutDatabase(appCtx ? appCtx->GetDatabase() : nullptr);
   hardware_->PutReadOnly(0);
   hardware_->PutBorder(0);
   DispEventAdvise(hardware_);
}

void CZOLTStatusVM::SetHardwarePath(const std::string &path)
{
   if (hardware_) {
      hardware_->PutPath(path.c_str());
   }
}

void CZOLTStatusVM::OnCurrentObjChange()
{
   DisconnectAll(connections_);
   SetHardwarePath("");
   DeleteScreenshots();
   // A request still out belongs to the machine shown so far.
   request_.Forget();

   wui::Prefs *prefs = wui::GetPrefs();
   std::string type = prefs ? prefs->GetCurrentObjType() : std::string();
   std::string path = type == "vm" ? prefs->GetCurrentObjPath() : std::string();
   cui::VM *vm = nullptr;
   if (type == "vm") {
      vmPath_ = path;
      vm = FindVM();
   }
   if (vm) {
      connections_.push_back(vm->changed.connect(sigc::mem_fun(*this, &CZOLTStatusVM::OnStateChange)));
      connections_.push_back(vm->removed.connect(sigc::mem_fun(*this, &CZOLTStatusVM::OnStateChange)));
      if (IVmdbContextPtr ctx = GetPageContext()) {
         ctx->ChangePath(vm->GetVmPath().c_str());
         SetHardwarePath(zoltdb::Text(ctx->FullPath("vmx/cfgState")));
      }
      // Typed notes of the machine left are saved to that machine before the editor moves on.
      bool retarget = notes_.GetObjectPath() != vm->GetVmPath();
      notes_.SetTarget(vm->GetVmPath(), "op/setCfgState/in/val/annotation/", true, "setCfgState");
      if (retarget) {
         notes_.ShowNotes("");
      }
   }
   OnStateChange();
}

void CZOLTStatusVM::ResetScreenshotAndRefresh()
{
   DeleteScreenshots();
   OnStateChange();
}

void CZOLTStatusVM::ClearFields()
{
   for (int id : {kTitle, kStateValue, kGuestValue, kFileValue, kVersionValue}) {
      SetText(Item(id), "");
   }
   ::ShowWindow(Item(kScreenshotButton), SW_HIDE);
   ::ShowWindow(Item(kScreenshotLabel), SW_HIDE);
   ShowOptionalRows(false, false, false);
}

void CZOLTStatusVM::OnStateChange()
{
   if (!m_hWnd) {
      return;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   std::string type = prefs ? prefs->GetCurrentObjType() : std::string();
   std::string path = prefs ? prefs->GetCurrentObjPath() : std::string();
   if (path.empty() || type != "vm") {
      DisconnectAll(connections_);
      SetHardwarePath("");
      return;
   }
   if (path != vmPath_) {
      return;
   }
   cui::VM *vm = FindVM();
   if (!vm || !vm->IsRegistered()) {
      ClearFields();
      return;
   }
   int powerState = vm->GetPowerState();
   std::string filename = vm->GetFilename();

   cui::Prefs *cuiPrefs = cui::GetPrefs();
   int uiMode = cuiPrefs ? cuiPrefs->GetUIMode() : 0;
   switch (ChooseScreenshotAction(uiMode, powerState, screenshot_.get() != nullptr, vm->GetConfigVersion(),
                                  request_.IsPending())) {
   case ScreenshotAction::kHide:
      ::ShowWindow(Item(kScreenshotButton), SW_HIDE);
      ::ShowWindow(Item(kScreenshotLabel), SW_HIDE);
      DeleteScreenshots();
      break;
   case ScreenshotAction::kNoScreenshot:
      SetScreenshot(nullptr);
      [[fallthrough]];
   case ScreenshotAction::kKeep:
   case ScreenshotAction::kWait:
      ::ShowWindow(Item(kScreenshotButton), SW_SHOW);
      ::ShowWindow(Item(kScreenshotLabel), SW_SHOW);
      break;
   case ScreenshotAction::kRequest:
      RequestScreenshot(vm);
      ::ShowWindow(Item(kScreenshotButton), SW_SHOW);
      ::ShowWindow(Item(kScreenshotLabel), SW_SHOW);
      break;
   }

   SetText(Item(kTitle), vm->GetName());
   unsigned stateId = PowerStateStringId(powerState);
   if (!stateId) {
      Panic("NOT_IMPLEMENTED %s:%d\n", "zoltStatusPane", __LINE__);
   }
   SetText(Item(kStateValue), LoadResString(stateId));
   ::EnableWindow(Item(kPowerButton), IsPowerButtonEnabled(powerState) && !(gApp && gApp->IsCurrentVMGUIRestricted()));
   SetText(Item(kGuestValue), vm->GetGuestOSName());
   SetText(Item(kFileValue), filename);
   SetText(Item(kVersionValue),
           cui::HardwareVersion(vm->GetHardwareVersion(), vm->GetProductCompat()).GetVMVersionDescription());

   std::string snapshot = vm->GetCurrentSnapshotName();
   if (!vm->GetSnapshotFileError().empty()) {
      snapshot = cui::GetLocalString(kSnapshotListUnreadable);
   }
   if (!snapshot.empty()) {
      SetText(Item(kSnapshotValue), snapshot);
   }
   bool clone = vm->IsClone();
   if (clone) {
      SetText(Item(kCloneValue), JoinAncestors(vm->GetAncestors()));
   }
   size_t users = vm->GetUsers().size();
   SetText(Item(kRemoteValue), tremapputil::ResString(RemoteDisplayStringId(users))
                                  .Format({static_cast<int>(vm->GetVNCPort()), static_cast<int>(users)}));
   bool remote = vm->IsVNCEnabled() && powerState == 0;
   ShowOptionalRows(remote, !snapshot.empty(), clone);

   std::string notes = vm->GetNotes();
   std::string editor = notes_.GetNotes();
   if (notes.empty() && !editor.empty() && !notes_.IsChanged()) {
      notes_.ShowNotes("");
      notes_.ClearChanged();
   } else if (!notes.empty() && notes != editor && !notes_.IsChanged()) {
      notes_.ShowNotes(notes);
   }
}

void CZOLTStatusVM::ShowOptionalRows(bool remote, bool snapshot, bool clone)
{
   HWND remoteCaption = Item(kRemoteCaption);
   HWND snapshotCaption = Item(kSnapshotCaption);
   // Measured on the template before any row has moved.
   static int templateTop = -1;
   if (gRowStep == 0 && remoteCaption && snapshotCaption) {
      gRowStep = ChildRect(m_hWnd, snapshotCaption).top - ChildRect(m_hWnd, remoteCaption).top;
      templateTop = ChildRect(m_hWnd, remoteCaption).top;
   }
   if (templateTop < 0) {
      return;
   }
   RowTops tops = StackOptionalRows(templateTop, gRowStep, remote, snapshot, clone);
   MoveToTop(remoteCaption, tops.remote);
   MoveToTop(Item(kRemoteValue), tops.remote);
   MoveToTop(snapshotCaption, tops.snapshot);
   MoveToTop(Item(kSnapshotValue), tops.snapshot);
   MoveToTop(Item(kCloneCaption), tops.clone);
   MoveToTop(Item(kCloneValue), tops.clone);
   for (int id : {kRemoteCaption, kRemoteValue}) {
      ::ShowWindow(Item(id), remote ? SW_SHOW : SW_HIDE);
   }
   for (int id : {kSnapshotCaption, kSnapshotValue}) {
      ::ShowWindow(Item(id), snapshot ? SW_SHOW : SW_HIDE);
   }
   for (int id : {kCloneCaption, kCloneValue}) {
      ::ShowWindow(Item(id), clone ? SW_SHOW : SW_HIDE);
   }
}

void CZOLTStatusVM::RequestScreenshot(cui::VM *vm)
{
   unsigned request = request_.Begin();
   // Bound to the page, so an answer that comes after the page is gone is dropped.
   RequestSuspendScreenshot(vm, sigc::bind(sigc::mem_fun(*this, &CZOLTStatusVM::OnScreenshotReady), request));
}

void CZOLTStatusVM::OnScreenshotReady(std::string path, unsigned request)
{
   // The answer for a machine no longer shown is not this machine's screenshot.
   if (!request_.Accept(request) || !m_hWnd) {
      return;
   }
   SetScreenshot(path.empty() ? nullptr : LoadBitmapFile(path));
}

void CZOLTStatusVM::SetScreenshot(HBITMAP bitmap)
{
   DeleteScreenshots();
   screenshot_.reset(bitmap);
   HWND button = Item(kScreenshotButton);
   LONG style = ::GetWindowLongA(button, GWL_STYLE);
   if (bitmap) {
      ::SetWindowTextW(button, L"");
      ::SetWindowLongA(button, GWL_STYLE, style | BS_BITMAP);
      ::EnableWindow(button, TRUE);
   } else {
      ::SetWindowLongA(button, GWL_STYLE, style & ~BS_BITMAP);
      ::EnableWindow(button, FALSE);
      SetWindowTextUtf8(button, LoadResString(IDS_NO_SCREENSHOT));
      ::InvalidateRect(button, nullptr, TRUE);
   }
   PlaceThumbnail();
}

void CZOLTStatusVM::DeleteScreenshots()
{
   if (m_hWnd) {
      ::SendMessageA(Item(kScreenshotButton), BM_SETIMAGE, IMAGE_BITMAP, 0);
   }
   scaled_.reset();
   screenshot_.reset();
}

void CZOLTStatusVM::PlaceThumbnail()
{
   HWND button = Item(kScreenshotButton);
   if (!button) {
      return;
   }
   RECT area = thumbArea_;
   if (!screenshot_) {
      ::SetWindowPos(button, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return;
   }
   scaled_.reset();
   SIZE size = {0, 0};
   RECT fit = {0, 0, area.right - area.left, area.bottom - area.top};
   scaled_.reset(ScaleBitmapToFit(button, screenshot_, fit, &size));
   if (!scaled_) {
      BITMAP info = {};
      ::GetObjectA(screenshot_, sizeof(info), &info);
      size = SIZE{std::min<LONG>(info.bmWidth, fit.right), std::min<LONG>(info.bmHeight, fit.bottom)};
   }
   HBITMAP shown = scaled_ ? scaled_.get() : screenshot_.get();
   ::SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown));
   int x = area.left + (area.right - area.left - size.cx) / 2;
   int y = area.top + (area.bottom - area.top - size.cy) / 2;
   ::SetWindowPos(button, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CZOLTStatusVM::OnScreenshotClicked(WORD, WORD, HWND, BOOL &)
{
   cui::VM *vm = FindVM();
   if (vmPath_.empty() || !screenshot_) {
      return 0;
   }
   std::string caption = tremapputil::ResString(IDS_SCREENSHOT_TITLE).Format({vm ? vm->GetFilename() : std::string()});
   CZOLTScreenshot dialog(screenshot_, caption);
   dialog.DoModal(::GetActiveWindow());
   return 0;
}

LRESULT CZOLTStatusVM::OnPowerVM(WORD, WORD, HWND, BOOL &)
{
   if (vmPath_.empty()) {
      return 0;
   }
   Log("CZOLTStatusVM::OnPowerVM clicked\n");
   if (gApp) {
      gApp->OnPowerCommand(IDM_VM_POWER_ON, static_cast<wui::VM *>(FindVM()));
   }
   return 0;
}

LRESULT CZOLTStatusVM::OnCloneVM(WORD, WORD, HWND, BOOL &)
{
   if (vmPath_.empty()) {
      return 0;
   }
   Log("CZOLTStatusVM::OnCloneVM clicked\n");
   if (gApp) {
      _bstr_t path(vmPath_.c_str());
      gApp->OnVMCommand(IDM_VM_CLONE, path, kSourceMenuBar);
   }
   return 0;
}

LRESULT CZOLTStatusVM::OnCloneToZephro(WORD, WORD, HWND, BOOL &)
{
   if (vmPath_.empty()) {
      return 0;
   }
   Log("CZOLTStatusVM::OnCloneToZephro clicked\n");
   if (gApp) {
      _bstr_t path(vmPath_.c_str());
      gApp->OnVMCommand(IDM_VM_CLONE_TO_ZEPHRO, path, kSourceMenuBar);
   }
   return 0;
}

void __stdcall CZOLTStatusVM::OnHardwareCtlEdit()
{
   wui::Prefs *prefs = wui::GetPrefs();
   cui::VM *vm = FindVM();
   if (!prefs || prefs->GetCurrentObjType() != "vm" || !vm || !vm->GetCanDoVMSettings() || !hardware_) {
      return;
   }
   ITremAppSdkUtilPtr util;
   HRESULT hr = util.CreateInstance(__uuidof(TremAppSdkUtil), nullptr, CLSCTX_ALL);
   if (FAILED(hr)) {
      _com_issue_error(hr);
   }
   IVmdbContextPtr appCtx = gApp ? gApp->GetContext() : nullptr;
   util->SetDatabase(appCtx ? appCtx->GetDatabase() : nullptr);
   util->SetVMPath(vm->GetVmPath().c_str());
   cui::Host *client = cui::GetClientHost();
   util->SetHostPath(client ? client->GetPath().c_str() : "");
   util->SetCfgStatePath((vm->GetVmPath() + "vmx/cfgState/").c_str());
   util->SetClient(gApp ? gApp->GetClient() : nullptr);
   std::string device = zoltdb::Text(hardware_->GetPath());
   IVmdbContextPtr ctx = GetPageContext();
   std::string key = ctx ? zoltdb::ReadText(ctx, (device + (device.empty() || device.back() == '/' ? "" : "/") + "key").c_str())
                         : std::string();
   util->EditDevice(key.c_str(), m_hWnd);
}

void CZOLTStatusVM::StretchWidth(HWND window, LONG clientWidth)
{
   if (!window) {
      return;
   }
   RECT rect = ChildRect(m_hWnd, window);
   LONG right = statuspage::StretchedEdge(rect.left, clientWidth);
   ::SetWindowPos(window, nullptr, 0, 0, right - rect.left, rect.bottom - rect.top,
                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

void CZOLTStatusVM::StretchHeight(HWND window, LONG clientHeight)
{
   if (!window) {
      return;
   }
   RECT rect = ChildRect(m_hWnd, window);
   LONG bottom = statuspage::StretchedEdge(rect.top, clientHeight);
   ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, bottom - rect.top,
                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

LRESULT CZOLTStatusVM::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   LONG width = LOWORD(lParam);
   LONG height = HIWORD(lParam);
   for (int id : {kTitle, kStateValue, kGuestValue, kFileValue, kVersionValue, kSnapshotValue, kCloneValue,
                  kDetailsLabel, kRemoteValue}) {
      StretchWidth(Item(id), width);
   }
   cui::Prefs *prefs = cui::GetPrefs();
   // The devices band spans its list, as the other bands span theirs.
   StretchWidth(Item(kHardwareLabel), width);
   if (!prefs || prefs->GetUIMode() == 0) {
      StretchWidth(hardwareHost_, width);
      StretchWidth(Item(kScreenshotLabel), width);
      thumbArea_.right = statuspage::StretchedEdge(thumbArea_.left, width);
      thumbArea_.bottom = statuspage::StretchedEdge(thumbArea_.top, height);
   } else {
      StretchWidth(hardwareHost_, width);
      StretchHeight(hardwareHost_, height);
   }
   StretchHeight(Item(kSeparator), height);
   StretchHeight(Item(kNotes), height);
   PlaceThumbnail();
   return 0;
}

LRESULT CZOLTStatusVM::OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   notify_callbacks();
   currentObjConnection_.disconnect();
   DisconnectAll(connections_);
   // The hardware list's sink goes here; the database sink of the page base goes with the page.
   DispEventUnadvise();
   hardware_ = nullptr;
   DeleteScreenshots();
   greyBrush_.reset();
   slateBrush_.reset();
   if (hardwareHost_ && ::IsWindow(hardwareHost_)) {
      ::DestroyWindow(hardwareHost_);
   }
   hardwareHost_ = nullptr;
   return Base::OnDestroy(uMsg, wParam, lParam, bHandled);
}
