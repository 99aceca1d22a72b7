// The library's message log of one machine: a modeless, resizable window titled "Message Log -
// <machine name>" with the source's messages in a report list (time, type, message; newest
// last), a Copy button that puts the selected rows (all when none is selected) on the
// clipboard, and Close. The list follows the source while the window is up; the window closes
// when the machine is closed. One window per source: asking again gives the one that is up.
#pragma once

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/MsgSource.h"

namespace wui {
namespace dialog {

class CMessageLogDlg;

// The time as the list shows it: the user's short date and time of day, in local time.
std::string FormatMsgTime(time_t time);
// The type column's word of a kind ("info", "warning", "error"); an unknown kind as it is.
std::string MsgKindName(const std::string &kind);
// The clipboard text of `rows` of `entries` (all of them when `rows` is empty): one line
// "time<TAB>type<TAB>message" per row, each ended by CR LF. Tabs and line breaks inside a
// message become spaces.
std::wstring FormatMsgLines(const std::vector<cui::MsgSource::Entry> &entries, const std::vector<int> &rows);
// How `now` goes on from `shown`: the fewest oldest entries of `shown` to drop so that the rest
// of it begins `now` (the rest of `now` was added). All of `shown` when nothing of it is kept.
size_t MsgLogContinuation(const std::vector<cui::MsgSource::Entry> &shown,
                          const std::vector<cui::MsgSource::Entry> &now);

class MessageLog : public sigc::trackable {
public:
   // Control ids, for the code and the tests that drive the window (Close is IDCANCEL).
   enum { kList = 1001, kCopy = 1002, kSizeGrip = 1003 };

   // The log of `source`: the one already made for it, else a new one (null without a
   // source). It lives until its window closes, or its source is closed or deleted.
   static MessageLog *CreateInstance(cui::MsgSource *source);
   // The log made for `source`; null when none.
   static MessageLog *Find(cui::MsgSource *source);

   // Shows the window, made on first use and centred on the library dialog manager's default
   // owner, and brings it to the front.
   void Show();
   // Closes the window and deletes the object.
   void Close();
   // Puts the selected rows (all rows when none is selected) on the clipboard as Unicode text;
   // false when the clipboard could not be had.
   bool Copy();

   HWND GetWindow() const;
   cui::MsgSource *GetSource() const { return source_; }

   // What the window asks of its object.
   void OnWindowGone();

   MessageLog(const MessageLog &) = delete;
   MessageLog &operator=(const MessageLog &) = delete;

private:
   explicit MessageLog(cui::MsgSource *source);
   ~MessageLog();

   void OnSourceChanged();
   void OnSourceClosed();
   static void *OnSourceDestroyed(void *self);

   cui::MsgSource *source_;
   CMessageLogDlg *dlg_ = nullptr;
   std::vector<cui::MsgSource::Entry> shown_;   // what the list shows, row by row
   std::vector<sigc::connection> connections_;
};

}  // namespace dialog
}  // namespace wui
