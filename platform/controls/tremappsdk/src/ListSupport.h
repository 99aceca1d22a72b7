// What the favourites list and the registered-machines list share: their glyphs, the files that
// have a tab, the kinds they report and the request form they change the state database through.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "vmdb/VmdbInterfaces.h"

namespace tremappsdk {

// Images of the lists' image list.
enum ListImage { kImageVM, kImageVMRunning, kImageTeam, kImageMVMT, kImageFolder, kImageCount };

// A 16 x 16 image list with the glyphs above; the caller destroys it.
HIMAGELIST CreateListImages();
int ListImageOf(long kind);

// The tree item under the mouse position of the message being handled; `onItem` tells whether
// the position is on its icon or label (not beside it).
HTREEITEM TreeItemAtCursor(HWND tree, bool *onItem);
// The rectangle of an item's label; false when the item is not visible.
bool TreeItemRect(HWND tree, HTREEITEM item, RECT &rc);
// Where a context menu of the keyboard opens: below the item's label, else the tree's corner
// (screen coordinates).
POINT TreeMenuPoint(HWND tree, HTREEITEM item);

// The object file an opened-object record stands for: a machine record's path names its machine
// node ("/vm/#0001/"), whose configuration file it is; other records name their file.
std::wstring RecordFile(IVmdbContext *ctx, const std::wstring &recordPath);
// The object files of every record of the opened-object array (empty array path: none).
std::vector<std::wstring> OpenedFiles(IVmdbContext *ctx, const std::wstring &arrayPath);
bool ContainsFile(const std::vector<std::wstring> &files, const std::wstring &file);

// A label as the user typed it, without blanks around it.
std::wstring Trimmed(const std::wstring &text);

// File paths compared as Windows does: case-blind in every script, "\" and "/" alike.
bool SameFilePath(const std::wstring &a, const std::wstring &b);

// The kind of a machine (running, with a tab, or neither), team or managed template by its file.
long MachineKind(IVmdbContext *ctx, const std::wstring &cfgPath, const std::vector<std::wstring> &opened);
long ObjectKind(IVmdbContext *ctx, const std::wstring &type, const std::wstring &cfgPath,
                const std::vector<std::wstring> &opened);

// Requests on one request state ("<state>req/#", submitted through "<state>new"), sent one at a
// time: a request that meets another client's pending submission waits for it, and an answered
// request element is removed, so the queue does not grow. Call Pump from the state's watch.
class ListRequests {
public:
   typedef std::vector<std::pair<std::wstring, std::wstring>> Values;   // paths relative to the element

   // `owner` names the control in the log.
   explicit ListRequests(const char *owner) : owner_(owner) {}

   // Queues the request and sends it when the state is free.
   void Submit(IVmdbContext *ctx, const std::wstring &statePath, const Values &values);
   // Collects answers (a refusal is logged with the owner's text) and sends what waits. True
   // when a request of ours was answered.
   bool Pump(IVmdbContext *ctx);
   size_t Waiting() const { return queued_.size() + (sent_.empty() ? 0 : 1); }
   void Clear();

private:
   struct Request {
      std::wstring statePath;
      Values values;
   };
   bool Send(IVmdbContext *ctx, const Request &request);

   const char *owner_;
   std::vector<Request> queued_;
   std::wstring sent_;        // the element of the request in flight
   std::wstring sentState_;
};

}  // namespace tremappsdk
