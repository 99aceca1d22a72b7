#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "atl/Atl.h"
#include "cui/AppDataPaths.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "vmdb/Classes.h"

namespace controls_test {

namespace {

class ControlsEnvironment : public ::testing::Environment {
public:
   void SetUp() override
   {
      ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
      INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
      InitCommonControlsEx(&icc);
      vmdb::RegisterClasses();
      tremappsdk::RegisterClasses();
      ASSERT_TRUE(AtlAxWinInit());
   }
   void TearDown() override
   {
      AtlAxWinTerm();
      atl::ClassTable::RevokeAllFromCom();
      OleUninitialize();
   }
};

const ::testing::Environment *const environment = ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

void AddSchemaNode(IVmdbUtilPtr &util, const wchar_t *name, long type, const wchar_t *link = nullptr)
{
   IVmdbSchemaPtr node;
   ASSERT_EQ(S_OK, node.CreateInstance(__uuidof(VmdbSchema), nullptr, CLSCTX_ALL));
   node->SetName(name);
   if (link) {
      node->SetLinkTarget(link);
   } else {
      node->SetType(type);
   }
   node->AddToParent(util);
}

}  // namespace

void Drain()
{
   for (int round = 0; round < 20; round++) {
      int work = Poll_Step(0);
      MSG msg;
      while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
         TranslateMessage(&msg);
         DispatchMessage(&msg);
         work++;
      }
      if (work <= 0) {
         return;
      }
   }
}

IVmdbDatabasePtr NewDatabase(const wchar_t *name)
{
   IVmdbDatabasePtr db;
   EXPECT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   db->Connect(name, VMDB_CONNECT_NAMED);
   IVmdbUtilPtr util;
   EXPECT_EQ(S_OK, util.CreateInstance(__uuidof(VmdbUtil), nullptr, CLSCTX_ALL));
   util->Attach(db);
   // One directory node per part of the root ("appdata/", ...).
   std::wstring root = WideFromUtf8(cui::appdata::kRoot);
   for (size_t from = 1, slash; (slash = root.find(L'/', from)) != std::wstring::npos; from = slash + 1) {
      std::wstring dir = root.substr(from, slash + 1 - from);
      AddSchemaNode(util, dir.c_str(), VMDB_TYPE_DIR);
      util->ChangeSchemaPath(dir.c_str());
   }
   AddSchemaNode(util, L"currentObj", 0, L"../openedObj/#");
   AddSchemaNode(util, L"openedObj/", VMDB_TYPE_DIR);
   util->ChangeSchemaPath(L"openedObj/");
   AddSchemaNode(util, L"#/", VMDB_TYPE_DIR);
   util->ChangeSchemaPath(L"#/");
   AddSchemaNode(util, L"type", VMDB_TYPE_TEXT);
   AddSchemaNode(util, L"path", VMDB_TYPE_TEXT);
   AddSchemaNode(util, L"viewType", VMDB_TYPE_TEXT);
   return db;
}

std::wstring AddMachine(IVmdbContext *ctx, const std::wstring &element, const std::wstring &cfgFile,
                        const std::wstring &name, const std::wstring &state, const std::wstring &guestOS)
{
   std::wstring vm = L"/vm/" + element + L"/";
   std::wstring cfg = vm + L"vmx/cfgState/val/";
   ctx->OpenBatch();
   ctx->WriteValue((vm + L"cfgFile").c_str(), _variant_t(cfgFile.c_str()));
   ctx->WriteValue((vm + L"vmx/execState/val").c_str(), _variant_t(state.c_str()));
   ctx->WriteValue((cfg + L"displayName").c_str(), _variant_t(name.c_str()));
   ctx->WriteValue((cfg + L"guestOS").c_str(), _variant_t(guestOS.c_str()));
   ctx->WriteValue((cfg + L"memoryMB").c_str(), _variant_t(L"256"));
   ctx->WriteValue((cfg + L"cpuCount").c_str(), _variant_t(L"1"));
   struct Dev {
      const wchar_t *element, *key, *type, *label, *media, *file, *present;
   } devices[] = {
      {L"#0001", L"disk0", L"disk", L"Hard Disk (IDE 0:0)", L"", L"disk0.img", L"1"},
      {L"#0002", L"cdrom0", L"cdrom", L"CD-ROM (IDE 1:0)", L"removable", L"", L"0"},
      {L"#0003", L"net0", L"ethernet", L"Ethernet", L"", L"", L"1"},
   };
   for (const Dev &d : devices) {
      std::wstring dev = cfg + L"dev/" + d.element + L"/";
      ctx->WriteValue((dev + L"key").c_str(), _variant_t(d.key));
      ctx->WriteValue((dev + L"type").c_str(), _variant_t(d.type));
      ctx->WriteValue((dev + L"label").c_str(), _variant_t(d.label));
      ctx->WriteValue((dev + L"media").c_str(), _variant_t(d.media));
      ctx->WriteValue((dev + L"fileName").c_str(), _variant_t(d.file));
      ctx->WriteValue((dev + L"present").c_str(), _variant_t(d.present));
   }
   ctx->CloseBatch(-1, 0);
   return vm;
}

std::wstring AddRecord(IVmdbContext *ctx, const std::wstring &element, const std::wstring &type, const std::wstring &path)
{
   std::wstring record = WideFromUtf8(cui::appdata::kOpenedObj) + L"/" + element + L"/";
   ctx->WriteValue((record + L"type").c_str(), _variant_t(type.c_str()));
   ctx->WriteValue((record + L"path").c_str(), _variant_t(path.c_str()));
   return record;
}

void SetCurrent(IVmdbContext *ctx, const std::wstring &recordPath)
{
   ctx->WriteValue(cui::appdata::kCurrentObj, _variant_t(recordPath.c_str()));
}

std::wstring CurrentRecord(IVmdbContext *ctx)
{
   return Text(ctx->ReadValue(cui::appdata::kCurrentObj));
}

std::wstring Text(const _variant_t &v)
{
   _bstr_t b(v);
   return b.length() ? std::wstring(static_cast<const wchar_t *>(b)) : std::wstring();
}

HWND NewParent(int width, int height)
{
   HWND wnd = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "controls", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                              height, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
   EXPECT_TRUE(wnd);
   return wnd;
}

HWND NewHost(HWND parent, const wchar_t *progId, int width, int height)
{
   HWND host = CreateWindowExW(0, L"AtlAxWin71", progId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1)), GetModuleHandle(nullptr), nullptr);
   EXPECT_TRUE(host);
   return host;
}

HWND ControlWindow(HWND host)
{
   return GetWindow(host, GW_CHILD);
}

void Click(HWND wnd, UINT down, UINT up, int x, int y)
{
   LPARAM at = MAKELPARAM(x, y);
   SendMessage(wnd, WM_MOUSEMOVE, 0, at);
   if (down) {
      SendMessage(wnd, down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, at);
   }
   if (up) {
      SendMessage(wnd, up, 0, at);
   }
}

std::vector<std::wstring> TipTexts(HWND owner)
{
   // A tooltip is owned by the top-level window: look at every one and keep the tools of `owner`.
   std::vector<HWND> tips;
   struct Finder {
      static BOOL CALLBACK Add(HWND wnd, LPARAM found)
      {
         wchar_t cls[64] = L"";
         GetClassNameW(wnd, cls, 64);
         if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0) {
            reinterpret_cast<std::vector<HWND> *>(found)->push_back(wnd);
         }
         return TRUE;
      }
   };
   EnumThreadWindows(GetCurrentThreadId(), &Finder::Add, reinterpret_cast<LPARAM>(&tips));
   std::vector<std::wstring> texts;
   for (HWND tip : tips) {
      int count = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
      for (int i = 0; i < count; i++) {
         TOOLINFOW tool = {};
         tool.cbSize = TTTOOLINFOW_V1_SIZE;
         if (!SendMessageW(tip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)) ||
             tool.hwnd != owner) {
            continue;
         }
         wchar_t text[1024] = L"";
         tool.lpszText = text;
         SendMessageW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
         texts.push_back(text);
      }
   }
   return texts;
}

HRESULT EventRecorder::Connect(IUnknown *control, REFIID iid)
{
   IConnectionPointContainer *container = nullptr;
   HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container));
   if (SUCCEEDED(hr)) {
      hr = container->FindConnectionPoint(iid, &point_);
      container->Release();
   }
   if (SUCCEEDED(hr)) {
      hr = point_->Advise(static_cast<IDispatch *>(this), &cookie_);
   }
   return hr;
}

void EventRecorder::Disconnect()
{
   if (point_) {
      point_->Unadvise(cookie_);
      point_->Release();
      point_ = nullptr;
   }
}

EventRecorder::~EventRecorder()
{
   Disconnect();
}

HRESULT EventRecorder::QueryInterface(REFIID iid, void **ppv)
{
   if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *ppv = static_cast<IDispatch *>(this);
      return S_OK;
   }
   *ppv = nullptr;
   return E_NOINTERFACE;
}

HRESULT EventRecorder::GetTypeInfoCount(UINT *count)
{
   *count = 0;
   return S_OK;
}

HRESULT EventRecorder::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
   *info = nullptr;
   return E_NOTIMPL;
}

HRESULT EventRecorder::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
   return E_NOTIMPL;
}

HRESULT EventRecorder::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *)
{
   Event e{dispid, {}};
   for (UINT i = params ? params->cArgs : 0; i > 0; i--) {
      VARIANTARG &arg = params->rgvarg[i - 1];
      if (arg.vt == (VT_BYREF | VT_I4)) {
         *arg.plVal = answer;
         e.args.push_back(_variant_t(answer));
      } else {
         _variant_t copy;
         VariantCopyInd(&copy, &arg);
         e.args.push_back(copy);
      }
   }
   events.push_back(e);
   return S_OK;
}

}  // namespace controls_test
