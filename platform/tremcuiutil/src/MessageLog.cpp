#include "cui/MessageLog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "DlgTemplate.h"
#include "atl/Atl.h"
#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "tremorybase/Log.h"

namespace wui {
namespace dialog {

namespace {

const char kTitle[] = "@&!*@*@(msg.dialog.messageLog.title)Message Log - %s";
const char kTimeColumn[] = "@&!*@*@(msg.dialog.messageLog.time)Time";
const char kTypeColumn[] = "@&!*@*@(msg.dialog.messageLog.type)Type";
const char kMessageColumn[] = "@&!*@*@(msg.dialog.messageLog.message)Message";
const char kInfo[] = "@&!*@*@(msg.dialog.messageLog.info)Information";
const char kWarning[] = "@&!*@*@(msg.dialog.messageLog.warning)Warning";
const char kError[] = "@&!*@*@(msg.dialog.messageLog.error)Error";
const char kCopy[] = "@&!*@*@(msg.dialog.messageLog.copy)&Copy";
const char kClose[] = "@&!*@*@(msg.dialog.button.close)Close";

// The list's columns, by subitem. The type comes first so that the row's icon stands beside its
// word; the column order shows time, type, message.
enum { kTypeSubItem = 0, kTimeSubItem = 1, kMessageSubItem = 2 };
// Images of the list, by kind.
enum { kInfoImage = 0, kWarningImage = 1, kErrorImage = 2 };

std::map<cui::MsgSource *, MessageLog *> &Instances()
{
   static std::map<cui::MsgSource *, MessageLog *> instances;
   return instances;
}

std::wstring W(const char *literal)
{
   return WideFromUtf8(cui::GetLocalString(literal));
}

// A message on one line: the list and the clipboard lines keep one row per entry.
std::wstring OneLine(const std::string &text)
{
   std::wstring line = WideFromUtf8(text);
   for (wchar_t &c : line) {
      if (c == L'\t' || c == L'\r' || c == L'\n') {
         c = L' ';
      }
   }
   return line;
}

// The list's calls with wide text (the headers' macros pick the 8-bit forms here).
int StringWidth(HWND list, const std::wstring &text)
{
   return static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void InsertColumn(HWND list, const LVCOLUMNW &column)
{
   ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column.iSubItem), reinterpret_cast<LPARAM>(&column));
}

void SetItemText(HWND list, int row, int subItem, std::wstring text)
{
   LVITEMW item = {};
   item.iSubItem = subItem;
   item.pszText = &text[0];
   ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int ImageOf(const std::string &kind)
{
   return kind == "error" ? kErrorImage : kind == "warning" ? kWarningImage : kInfoImage;
}

// The user's short date and time of day.
std::wstring FormatSystemTime(const SYSTEMTIME &st)
{
   wchar_t date[80] = L"";
   wchar_t clock[80] = L"";
   GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80);
   GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, 80);
   return std::wstring(date) + L" " + clock;
}

}  // namespace

std::string FormatMsgTime(time_t time)
{
   // Seconds since 1601 in 100 ns units, as FILETIME counts.
   ULARGE_INTEGER ticks;
   ticks.QuadPart = (static_cast<unsigned long long>(time) + 11644473600ULL) * 10000000ULL;
   FILETIME utc = {ticks.LowPart, ticks.HighPart};
   FILETIME local;
   SYSTEMTIME st;
   if (time < 0 || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) {
      return std::string();
   }
   return Utf8FromWide(FormatSystemTime(st));
}

std::string MsgKindName(const std::string &kind)
{
   if (kind == "info") {
      return cui::GetLocalString(kInfo);
   }
   if (kind == "warning") {
      return cui::GetLocalString(kWarning);
   }
   if (kind == "error") {
      return cui::GetLocalString(kError);
   }
   return kind;
}

std::wstring FormatMsgLines(const std::vector<cui::MsgSource::Entry> &entries, const std::vector<int> &rows)
{
   std::wstring text;
   auto add = [&](const cui::MsgSource::Entry &entry) {
      text += WideFromUtf8(FormatMsgTime(entry.time)) + L"\t" + OneLine(MsgKindName(entry.kind)) + L"\t" +
              OneLine(entry.text) + L"\r\n";
   };
   if (rows.empty()) {
      for (const cui::MsgSource::Entry &entry : entries) {
         add(entry);
      }
   }
   for (int row : rows) {
      if (row >= 0 && static_cast<size_t>(row) < entries.size()) {
         add(entries[row]);
      }
   }
   return text;
}

size_t MsgLogContinuation(const std::vector<cui::MsgSource::Entry> &shown, const std::vector<cui::MsgSource::Entry> &now)
{
   for (size_t dropped = 0; dropped < shown.size(); ++dropped) {
      size_t kept = shown.size() - dropped;
      if (kept <= now.size() && std::equal(shown.begin() + dropped, shown.end(), now.begin())) {
         return dropped;
      }
   }
   return shown.size();
}

// The window of the log: laid out in code (the library has no resource module).
class CMessageLogDlg : public CDialogImplBaseT<> {
public:
   explicit CMessageLogDlg(MessageLog *log) : log_(log) {}

   BEGIN_MSG_MAP(CMessageLogDlg)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      NOTIFY_HANDLER(MessageLog::kList, LVN_KEYDOWN, OnListKeyDown)
      COMMAND_ID_HANDLER(MessageLog::kCopy, OnCopy)
      COMMAND_ID_HANDLER(IDOK, OnClose)
      COMMAND_ID_HANDLER(IDCANCEL, OnClose)
   END_MSG_MAP()

   bool Create(HWND owner, const std::string &title);
   void Detach() { log_ = nullptr; }

   void SetTitle(const std::string &title) { ::SetWindowTextW(m_hWnd, WideFromUtf8(title).c_str()); }
   // Makes the list show `now`, given that it shows `shown`: rows that stay keep their selection.
   void ShowEntries(const std::vector<cui::MsgSource::Entry> &shown, const std::vector<cui::MsgSource::Entry> &now);
   // The selected rows, top to bottom.
   std::vector<int> SelectedRows() const;

   void OnFinalMessage(HWND) override;

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnListKeyDown(int, LPNMHDR, BOOL &);
   LRESULT OnCopy(WORD, WORD, HWND, BOOL &);
   LRESULT OnClose(WORD, WORD, HWND, BOOL &);

   HWND List() const { return ::GetDlgItem(m_hWnd, MessageLog::kList); }
   void AddColumns();
   void InsertRow(int row, const cui::MsgSource::Entry &entry);
   void Layout();

   MessageLog *log_;
   SIZE minSize_ = {0, 0};   // the window's size as laid out: it gets no smaller
   int margin_ = 0;          // pixels between the controls and the edges
   SIZE button_ = {0, 0};
   int gap_ = 0;             // between the buttons, and between the list and them
};

bool CMessageLogDlg::Create(HWND owner, const std::string &title)
{
   INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
   InitCommonControlsEx(&controls);
   using cuiutil::DlgTemplate;
   DlgTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | DS_3DLOOK, 340, 190,
                 WideFromUtf8(title));
   t.AddItem(WC_LISTVIEWW, MessageLog::kList, L"",
             LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP | WS_VISIBLE | WS_GROUP, 7, 7, 326, 155);
   t.AddItem(DlgTemplate::kButton, MessageLog::kCopy, W(kCopy), BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE | WS_GROUP,
             229, 169, 50, 14);
   t.AddItem(DlgTemplate::kButton, IDCANCEL, W(kClose), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 283, 169, 50, 14);
   t.AddItem(L"ScrollBar", MessageLog::kSizeGrip, L"", SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN | WS_VISIBLE, 0, 0,
             340, 190);

   atl::detail::PushCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<> *>(this));
   HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, GetDialogProc(), 0);
   atl::detail::DiscardCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<> *>(this));
   if (!hwnd) {
      Warning("wui::dialog::MessageLog: the window could not be made (error %lu)\n",
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   return true;
}

LRESULT CMessageLogDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   RECT window;
   ::GetWindowRect(m_hWnd, &window);
   minSize_ = {window.right - window.left, window.bottom - window.top};
   RECT units = {7, 7, 50, 14};
   ::MapDialogRect(m_hWnd, &units);
   margin_ = units.left;
   button_ = {units.right, units.bottom};
   gap_ = units.top;

   HWND list = List();
   ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
   int cx = GetSystemMetrics(SM_CXSMICON);
   int cy = GetSystemMetrics(SM_CYSMICON);
   HIMAGELIST images = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 3, 0);
   for (LPCSTR icon : {IDI_INFORMATION, IDI_WARNING, IDI_ERROR}) {
      ImageList_AddIcon(images, LoadIconA(nullptr, icon));
   }
   // Owned by the list: it goes with it.
   ListView_SetImageList(list, images, LVSIL_SMALL);
   AddColumns();
   Layout();
   CenterWindow();
   return TRUE;
}

void CMessageLogDlg::AddColumns()
{
   HWND list = List();
   std::wstring time = W(kTimeColumn);
   std::wstring type = W(kTypeColumn);
   std::wstring message = W(kMessageColumn);
   int padding = 2 * ::GetSystemMetrics(SM_CXEDGE) + 16;
   // Wide enough for a date and time with two-digit fields everywhere, and for the longest type word.
   SYSTEMTIME widest = {2000, 12, 4, 28, 22, 58, 58, 0};
   int timeWidth = StringWidth(list, FormatSystemTime(widest));
   int typeWidth = StringWidth(list, type);
   for (const char *kind : {kInfo, kWarning, kError}) {
      int width = StringWidth(list, W(kind));
      typeWidth = width > typeWidth ? width : typeWidth;
   }
   LVCOLUMNW column = {};
   column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
   column.fmt = LVCFMT_LEFT;
   column.pszText = &type[0];
   column.cx = typeWidth + ::GetSystemMetrics(SM_CXSMICON) + padding;
   column.iSubItem = kTypeSubItem;
   InsertColumn(list, column);
   column.pszText = &time[0];
   column.cx = timeWidth + padding;
   column.iSubItem = kTimeSubItem;
   InsertColumn(list, column);
   column.pszText = &message[0];
   column.cx = 200;
   column.iSubItem = kMessageSubItem;
   InsertColumn(list, column);
   int order[] = {kTimeSubItem, kTypeSubItem, kMessageSubItem};
   ListView_SetColumnOrderArray(list, 3, order);
}

LRESULT CMessageLogDlg::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   Layout();
   return 0;
}

LRESULT CMessageLogDlg::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   MINMAXINFO *info = reinterpret_cast<MINMAXINFO *>(lParam);
   if (minSize_.cx > 0) {
      info->ptMinTrackSize.x = minSize_.cx * 2 / 3;
      info->ptMinTrackSize.y = minSize_.cy * 2 / 3;
   }
   return 0;
}

void CMessageLogDlg::Layout()
{
   if (button_.cx == 0) {
      return;   // sized before WM_INITDIALOG
   }
   RECT client;
   ::GetClientRect(m_hWnd, &client);
   int buttonsTop = client.bottom - margin_ - button_.cy;
   int closeLeft = client.right - margin_ - button_.cx;
   int copyLeft = closeLeft - gap_ / 2 - button_.cx;
   HDWP positions = ::BeginDeferWindowPos(4);
   positions = ::DeferWindowPos(positions, List(), nullptr, margin_, margin_, client.right - 2 * margin_,
                                buttonsTop - gap_ - margin_, SWP_NOZORDER | SWP_NOACTIVATE);
   positions = ::DeferWindowPos(positions, GetDlgItem(MessageLog::kCopy), nullptr, copyLeft, buttonsTop, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   positions = ::DeferWindowPos(positions, GetDlgItem(IDCANCEL), nullptr, closeLeft, buttonsTop, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   int grip = ::GetSystemMetrics(SM_CXVSCROLL);
   positions = ::DeferWindowPos(positions, GetDlgItem(MessageLog::kSizeGrip), nullptr, client.right - grip,
                                client.bottom - grip, grip, grip, SWP_NOZORDER | SWP_NOACTIVATE);
   ::EndDeferWindowPos(positions);
   // No grip on a maximised window: it cannot be sized from there.
   ::ShowWindow(GetDlgItem(MessageLog::kSizeGrip), ::IsZoomed(m_hWnd) ? SW_HIDE : SW_SHOWNA);
   ListView_SetColumnWidth(List(), kMessageSubItem, LVSCW_AUTOSIZE_USEHEADER);
}

LRESULT CMessageLogDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->UnRegister(m_hWnd);
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CMessageLogDlg::OnListKeyDown(int, LPNMHDR header, BOOL &)
{
   const NMLVKEYDOWN *key = reinterpret_cast<const NMLVKEYDOWN *>(header);
   if (::GetKeyState(VK_CONTROL) >= 0) {
      return 0;
   }
   if (key->wVKey == 'C' && log_) {
      log_->Copy();
   } else if (key->wVKey == 'A') {
      ListView_SetItemState(List(), -1, LVIS_SELECTED, LVIS_SELECTED);
   }
   return 0;
}

LRESULT CMessageLogDlg::OnCopy(WORD, WORD, HWND, BOOL &)
{
   if (log_) {
      log_->Copy();
   }
   return 0;
}

LRESULT CMessageLogDlg::OnClose(WORD, WORD, HWND, BOOL &)
{
   // Not CWindow::DestroyWindow: it writes m_hWnd after the window's end may have deleted us.
   ::DestroyWindow(m_hWnd);
   return 0;
}

void CMessageLogDlg::OnFinalMessage(HWND)
{
   // The object goes with the log that owns it.
   if (MessageLog *log = log_) {
      log_ = nullptr;
      log->OnWindowGone();
   }
}

void CMessageLogDlg::InsertRow(int row, const cui::MsgSource::Entry &entry)
{
   HWND list = List();
   std::wstring type = OneLine(MsgKindName(entry.kind));
   LVITEMW item = {};
   item.mask = LVIF_TEXT | LVIF_IMAGE;
   item.iItem = row;
   item.iSubItem = kTypeSubItem;
   item.pszText = &type[0];
   item.iImage = ImageOf(entry.kind);
   row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
   if (row < 0) {
      return;
   }
   SetItemText(list, row, kTimeSubItem, WideFromUtf8(FormatMsgTime(entry.time)));
   SetItemText(list, row, kMessageSubItem, OneLine(entry.text));
}

void CMessageLogDlg::ShowEntries(const std::vector<cui::MsgSource::Entry> &shown,
                                 const std::vector<cui::MsgSource::Entry> &now)
{
   HWND list = List();
   int count = ListView_GetItemCount(list);
   // A user who has scrolled back stays where he is; one who looks at the newest sees the new ones.
   bool atEnd = count == 0 || ListView_GetTopIndex(list) + ListView_GetCountPerPage(list) >= count;
   ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
   size_t dropped = MsgLogContinuation(shown, now);
   size_t first = 0;
   if (dropped == shown.size() || static_cast<size_t>(count) != shown.size()) {
      ListView_DeleteAllItems(list);
   } else {
      for (size_t i = 0; i < dropped; ++i) {
         ListView_DeleteItem(list, 0);
      }
      first = shown.size() - dropped;
   }
   for (size_t i = first; i < now.size(); ++i) {
      InsertRow(static_cast<int>(i), now[i]);
   }
   ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
   count = ListView_GetItemCount(list);
   if (atEnd && count > 0) {
      ListView_EnsureVisible(list, count - 1, FALSE);
   }
   ListView_SetColumnWidth(list, kMessageSubItem, LVSCW_AUTOSIZE_USEHEADER);
   ::InvalidateRect(list, nullptr, TRUE);
}

std::vector<int> CMessageLogDlg::SelectedRows() const
{
   std::vector<int> rows;
   HWND list = List();
   for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
        row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
      rows.push_back(row);
   }
   return rows;
}

// ---- MessageLog ----

MessageLog *MessageLog::CreateInstance(cui::MsgSource *source)
{
   if (!source) {
      return nullptr;
   }
   if (MessageLog *existing = Find(source)) {
      return existing;
   }
   return new MessageLog(source);
}

MessageLog *MessageLog::Find(cui::MsgSource *source)
{
   auto it = Instances().find(source);
   return it == Instances().end() ? nullptr : it->second;
}

MessageLog::MessageLog(cui::MsgSource *source) : source_(source), dlg_(new CMessageLogDlg(this))
{
   Instances()[source] = this;
   connections_.push_back(source->changed.connect(sigc::mem_fun(*this, &MessageLog::OnSourceChanged)));
   connections_.push_back(source->closed.connect(sigc::mem_fun(*this, &MessageLog::OnSourceClosed)));
   // A source deleted without being closed (its machine going at exit) takes the log along.
   source->add_destroy_notify_callback(this, &MessageLog::OnSourceDestroyed);
}

MessageLog::~MessageLog()
{
   for (sigc::connection &connection : connections_) {
      connection.disconnect();
   }
   if (source_) {
      source_->remove_destroy_notify_callback(this);
      Instances().erase(source_);
   }
   dlg_->Detach();
   if (dlg_->m_hWnd) {
      ::DestroyWindow(dlg_->m_hWnd);
   }
   delete dlg_;
}

void *MessageLog::OnSourceDestroyed(void *self)
{
   MessageLog *log = static_cast<MessageLog *>(self);
   Instances().erase(log->source_);
   log->source_ = nullptr;
   delete log;
   return nullptr;
}

HWND MessageLog::GetWindow() const
{
   return dlg_->m_hWnd;
}

void MessageLog::Show()
{
   if (!dlg_->m_hWnd) {
      wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
      HWND owner = dlgMgr ? dlgMgr->GetDefaultOwner() : nullptr;
      if (!dlg_->Create(owner && ::IsWindow(owner) ? owner : nullptr, cui::Format(kTitle, source_->GetName().c_str()))) {
         return;
      }
      shown_.clear();
      OnSourceChanged();
      if (dlgMgr) {
         dlgMgr->Register(dlg_->m_hWnd);
      }
   }
   HWND hwnd = dlg_->m_hWnd;
   if (::IsIconic(hwnd)) {
      ::ShowWindow(hwnd, SW_RESTORE);
   }
   ::ShowWindow(hwnd, SW_SHOW);
   ::SetForegroundWindow(hwnd);
   ::SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hwnd, kList)), TRUE);
}

void MessageLog::Close()
{
   if (dlg_->m_hWnd) {
      ::DestroyWindow(dlg_->m_hWnd);   // the window's end deletes this
      return;
   }
   delete this;
}

bool MessageLog::Copy()
{
   HWND hwnd = dlg_->m_hWnd;
   std::wstring text = hwnd ? FormatMsgLines(shown_, dlg_->SelectedRows())
                            : FormatMsgLines(source_ ? source_->GetEntries() : shown_, std::vector<int>());
   if (!::OpenClipboard(hwnd)) {
      Warning("wui::dialog::MessageLog::Copy: the clipboard cannot be opened (error %lu)\n",
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   ::EmptyClipboard();
   size_t bytes = (text.size() + 1) * sizeof(wchar_t);
   HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
   void *data = memory ? ::GlobalLock(memory) : nullptr;
   bool copied = false;
   if (data) {
      memcpy(data, text.c_str(), bytes);
      ::GlobalUnlock(memory);
      copied = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
   }
   if (!copied && memory) {
      ::GlobalFree(memory);
   }
   ::CloseClipboard();
   if (!copied) {
      Warning("wui::dialog::MessageLog::Copy: the text was not put on the clipboard (error %lu)\n",
              static_cast<unsigned long>(GetLastError()));
   }
   return copied;
}

void MessageLog::OnWindowGone()
{
   delete this;
}

void MessageLog::OnSourceChanged()
{
   if (!source_ || !dlg_->m_hWnd) {
      return;
   }
   const std::vector<cui::MsgSource::Entry> &now = source_->GetEntries();
   dlg_->ShowEntries(shown_, now);
   shown_ = now;
   dlg_->SetTitle(cui::Format(kTitle, source_->GetName().c_str()));
}

void MessageLog::OnSourceClosed()
{
   Log("wui::dialog::MessageLog: the machine \"%s\" was closed; its log closes\n",
       source_ ? source_->GetName().c_str() : "");
   Close();
}

}  // namespace dialog
}  // namespace wui
