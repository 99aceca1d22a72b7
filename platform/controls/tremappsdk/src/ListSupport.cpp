#include "ListSupport.h"

#include <cstring>

#include "DbUtil.h"
#include "DeviceGlyph.h"
#include "WinUtil.h"
#include "atl/Gdi.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

void DrawFolder(HDC dc, int x, int y)
{
   atl::ScopedPen pen(CreatePen(PS_SOLID, 1, RGB(120, 90, 20)));
   atl::ScopedBrush brush(CreateSolidBrush(RGB(240, 200, 90)));
   atl::ScopedSelection penSelected(dc, pen);
   atl::ScopedSelection brushSelected(dc, brush);
   POINT tab[] = {{x + 1, y + 3}, {x + 6, y + 3}, {x + 8, y + 5}, {x + 14, y + 5}, {x + 14, y + 14}, {x + 1, y + 14}};
   Polygon(dc, tab, 6);
   MoveToEx(dc, x + 1, y + 6, nullptr);
   LineTo(dc, x + 15, y + 6);
}

}  // namespace

HIMAGELIST CreateListImages()
{
   HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kImageCount, 0);
   AddMaskedStrip(images, kImageCount, [](HDC dc) {
      const long tabKinds[] = {kTabVM, kTabVMRunning, kTabTeam, kTabManagedVM};
      for (int i = 0; i < kImageFolder; ++i) {
         RECT box = {16 * i, 0, 16 * i + 16, 16};
         DrawTabGlyph(dc, box, tabKinds[i]);
      }
      // A managed template carries a small badge at its lower right.
      RECT mark = {16 * kImageMVMT + 10, 10, 16 * kImageMVMT + 16, 16};
      FillRect(dc, &mark, atl::ScopedBrush(CreateSolidBrush(RGB(40, 110, 200))));
      DrawFolder(dc, 16 * kImageFolder, 0);
   });
   return images;
}

int ListImageOf(long kind)
{
   switch (kind) {
   case kListVMRunning:
      return kImageVMRunning;
   case kListTeam:
   case kListTeamOpened:
      return kImageTeam;
   case kListMVMT:
   case kListMVMTOpened:
      return kImageMVMT;
   case kListFolder:
      return kImageFolder;
   default:
      return kImageVM;
   }
}

HTREEITEM TreeItemAtCursor(HWND tree, bool *onItem)
{
   DWORD pos = GetMessagePos();
   TVHITTESTINFO hit = {};
   hit.pt = {XParam(pos), YParam(pos)};
   ::ScreenToClient(tree, &hit.pt);
   HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
   if (onItem) {
      *onItem = item && (hit.flags & TVHT_ONITEM) != 0;
   }
   return item;
}

bool TreeItemRect(HWND tree, HTREEITEM item, RECT &rc)
{
   // TVM_GETITEMRECT takes the item in the rectangle it fills.
   static_assert(sizeof(HTREEITEM) <= sizeof(RECT), "an item handle fits in a RECT");
   std::memset(&rc, 0, sizeof rc);
   std::memcpy(&rc, &item, sizeof item);
   return item && ::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rc)) != 0;
}

POINT TreeMenuPoint(HWND tree, HTREEITEM item)
{
   RECT rc;
   if (!TreeItemRect(tree, item, rc)) {
      rc = RECT{0, 0, 0, 0};
   }
   POINT pt = {rc.left, rc.bottom};
   ::ClientToScreen(tree, &pt);
   return pt;
}

std::wstring Trimmed(const std::wstring &text)
{
   size_t begin = text.find_first_not_of(L" \t\r\n");
   if (begin == std::wstring::npos) {
      return std::wstring();
   }
   size_t end = text.find_last_not_of(L" \t\r\n");
   return text.substr(begin, end - begin + 1);
}

bool SameFilePath(const std::wstring &a, const std::wstring &b)
{
   std::wstring x = a;
   std::wstring y = b;
   for (std::wstring *s : {&x, &y}) {
      for (wchar_t &c : *s) {
         if (c == L'/') {
            c = L'\\';
         }
      }
   }
   return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(), static_cast<int>(y.size()), TRUE) ==
          CSTR_EQUAL;
}

std::wstring RecordFile(IVmdbContext *ctx, const std::wstring &recordPath)
{
   OpenedRecord record = ReadRecord(ctx, recordPath);
   if (record.type == L"vm" && record.path.compare(0, 5, L"/vm/#") == 0) {
      return ReadText(ctx, WithSlash(record.path) + L"cfgFile");
   }
   return record.path;
}

std::vector<std::wstring> OpenedFiles(IVmdbContext *ctx, const std::wstring &arrayPath)
{
   std::vector<std::wstring> files;
   if (!ctx || arrayPath.empty()) {
      return files;
   }
   for (const std::wstring &element : Elements(ctx, WithSlash(arrayPath) + L"#")) {
      std::wstring file = RecordFile(ctx, element);
      if (!file.empty()) {
         files.push_back(file);
      }
   }
   return files;
}

bool ContainsFile(const std::vector<std::wstring> &files, const std::wstring &file)
{
   for (const std::wstring &f : files) {
      if (SameFilePath(f, file)) {
         return true;
      }
   }
   return false;
}

long MachineKind(IVmdbContext *ctx, const std::wstring &cfgPath, const std::vector<std::wstring> &opened)
{
   std::wstring vm = FindVMByCfgFile(ctx, cfgPath);
   if (!vm.empty() && ReadPowerState(ctx, vm) == PowerState::On) {
      return kListVMRunning;
   }
   return ContainsFile(opened, cfgPath) ? kListVMOpened : kListVM;
}

long ObjectKind(IVmdbContext *ctx, const std::wstring &type, const std::wstring &cfgPath,
                const std::vector<std::wstring> &opened)
{
   if (type == L"vm") {
      return MachineKind(ctx, cfgPath, opened);
   }
   if (type == L"team") {
      return ContainsFile(opened, cfgPath) ? kListTeamOpened : kListTeam;
   }
   if (type == L"mvmt") {
      return ContainsFile(opened, cfgPath) ? kListMVMTOpened : kListMVMT;
   }
   return kListFolder;
}

void ListRequests::Submit(IVmdbContext *ctx, const std::wstring &statePath, const Values &values)
{
   queued_.push_back(Request{WithSlash(statePath), values});
   Pump(ctx);
}

bool ListRequests::Pump(IVmdbContext *ctx)
{
   if (!ctx) {
      return false;
   }
   bool answered = false;
   if (!sent_.empty()) {
      if (ReadText(ctx, sentState_ + L"new") == sent_) {
         return false;
      }
      if (ReadText(ctx, sent_ + L"status") == L"error") {
         Warning("%s: the request %s was refused: %s\n", owner_, Utf8FromWide(sent_).c_str(),
                 Utf8FromWide(ReadText(ctx, sent_ + L"status/error/errMsg")).c_str());
      }
      ctx->raw_RemoveNode(_bstr_t(sent_.c_str()), VARIANT_TRUE);
      sent_.clear();
      answered = true;
   }
   while (!queued_.empty() && sent_.empty()) {
      // Another client's submission is pending: ours waits for the state's next change.
      if (!ReadText(ctx, queued_.front().statePath + L"new").empty()) {
         break;
      }
      Request request = queued_.front();
      queued_.erase(queued_.begin());
      if (!Send(ctx, request)) {
         answered = true;
      }
   }
   return answered;
}

bool ListRequests::Send(IVmdbContext *ctx, const Request &request)
{
   try {
      std::wstring element = ToWide(ctx->AppendElement((request.statePath + L"req/#").c_str()));
      ctx->OpenBatch();
      try {
         for (const auto &value : request.values) {
            ctx->WriteValue((element + value.first).c_str(), _variant_t(value.second.c_str()));
         }
         ctx->WriteValue((request.statePath + L"new").c_str(), _variant_t(element.c_str()));
      } catch (...) {
         ctx->CloseBatch(-1, 0);
         throw;
      }
      ctx->CloseBatch(-1, 0);
      sent_ = element;
      sentState_ = request.statePath;
      return true;
   } catch (const _com_error &e) {
      Warning("%s: cannot send a request to %s: 0x%08lx\n", owner_, Utf8FromWide(request.statePath).c_str(),
              static_cast<unsigned long>(e.Error()));
      return false;
   }
}

void ListRequests::Clear()
{
   queued_.clear();
   sent_.clear();
   sentState_.clear();
}

}  // namespace tremappsdk
