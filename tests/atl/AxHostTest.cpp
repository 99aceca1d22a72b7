#include <gtest/gtest.h>

#include <olectl.h>

#include <stdexcept>
#include <string>

#include "AtlTestSupport.h"
#include "atl/Atl.h"

extern const IID DIID_AtlTestEvents;
const IID DIID_AtlTestEvents = {0xab2e5bd8, 0xcaae, 0x4958, {0x8f, 0x92, 0x2c, 0x77, 0x66, 0xaa, 0x2b, 0xb5}};

namespace {

const CLSID CLSID_TestControl = {0xb842c141, 0xc199, 0x4dc7, {0x85, 0x81, 0x19, 0xf7, 0x44, 0x4d, 0x7d, 0x1a}};
const wchar_t kTestControl[] = L"AtlTest.Control.1";
const int kHostId = 5;

// A control as the stand-ins build them: a child window plus one event interface.
class CTestControl : public ComObject<IAxControlWindow, IConnectionPointContainer> {
public:
   CTestControl() : events(static_cast<IAxControlWindow *>(this), DIID_AtlTestEvents)
   {
      ++live;
      last = this;
   }
   ~CTestControl() override
   {
      --live;
      if (last == this) {
         last = nullptr;
      }
   }

   HRESULT STDMETHODCALLTYPE CreateControlWindow(HWND parent, const RECT *rect, HWND *window) override
   {
      wnd = CreateWindowExA(0, "STATIC", "control", WS_CHILD | WS_VISIBLE, rect->left, rect->top,
                            rect->right - rect->left, rect->bottom - rect->top, parent, nullptr,
                            GetModuleHandle(nullptr), nullptr);
      *window = wnd;
      return wnd ? S_OK : E_FAIL;
   }
   HRESULT STDMETHODCALLTYPE DestroyControlWindow() override
   {
      ++windowsDestroyed;
      DestroyWindow(wnd);
      wnd = nullptr;
      return S_OK;
   }
   HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **points) override
   {
      *points = nullptr;
      return E_NOTIMPL;
   }
   HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint **point) override
   {
      return events.Find(iid, point);
   }

   DispEventSource events;
   HWND wnd = nullptr;

   static int live;
   static int windowsDestroyed;
   static CTestControl *last;
};

int CTestControl::live = 0;
int CTestControl::windowsDestroyed = 0;
CTestControl *CTestControl::last = nullptr;

class AtlAxHost : public ::testing::Test {
protected:
   void SetUp() override
   {
      ClassTable::Register(kTestControl, CLSID_TestControl, &CreateComObject<CTestControl>);
      parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                               GetModuleHandle(nullptr), nullptr);
      ASSERT_TRUE(parent);
   }
   void TearDown() override
   {
      DestroyWindow(parent);
      ClassTable::Unregister(kTestControl);
      EXPECT_EQ(0, CTestControl::live);
   }

   HWND Host(const char *name, const char *cls = "AtlAxWin71")
   {
      return CreateWindowExA(0, cls, name, WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHostId)), GetModuleHandle(nullptr), nullptr);
   }

   HWND parent = nullptr;
};

TEST_F(AtlAxHost, HostCreatesTheNamedControlKeepsItFillingAndReleasesItOnDestroy)
{
   HWND host = Host("AtlTest.Control.1");
   ASSERT_TRUE(host);
   CComPtr<IUnknown> control;
   ASSERT_EQ(S_OK, AtlAxGetControl(host, &control));
   ASSERT_TRUE(CTestControl::last);
   HWND child = CTestControl::last->wnd;
   EXPECT_EQ(host, GetParent(child));
   RECT rc;
   GetClientRect(child, &rc);
   EXPECT_EQ(200, rc.right);
   EXPECT_EQ(100, rc.bottom);
   MoveWindow(host, 10, 10, 320, 150, TRUE);
   GetClientRect(child, &rc);
   EXPECT_EQ(320, rc.right);
   EXPECT_EQ(150, rc.bottom);

   CAxWindow ax(host);
   CComPtr<IAxControlWindow> window;
   EXPECT_EQ(S_OK, ax.QueryControl(&window));
   EXPECT_TRUE(window.IsEqualObject(control));

   int destroyedBefore = CTestControl::windowsDestroyed;
   window.Release();
   control.Release();
   DestroyWindow(host);
   EXPECT_EQ(destroyedBefore + 1, CTestControl::windowsDestroyed);
   EXPECT_FALSE(IsWindow(child));
   EXPECT_EQ(0, CTestControl::live);

   // The licensed class is the same host.
   HWND lic = Host("AtlTest.Control.1", "AtlAxWinLic71");
   ASSERT_TRUE(lic);
   EXPECT_EQ(1, CTestControl::live);
   DestroyWindow(lic);
}

TEST_F(AtlAxHost, UnknownNameLeavesAnEmptyHostThatCanStillTakeAControl)
{
   HWND host = Host("AtlTest.NoSuchControl.1");
   ASSERT_TRUE(host);
   CComPtr<IUnknown> control;
   EXPECT_EQ(REGDB_E_CLASSNOTREG, AtlAxGetControl(host, &control));
   EXPECT_EQ(nullptr, control.p);
   EXPECT_EQ(0, CTestControl::live);

   HWND empty = Host(nullptr);
   EXPECT_EQ(E_FAIL, AtlAxGetControl(empty, &control));
   EXPECT_EQ(E_FAIL, AtlAxGetControl(parent, &control));   // not a host at all

   CAxWindow ax(empty);
   EXPECT_EQ(REGDB_E_CLASSNOTREG, ax.CreateControl(L"AtlTest.NoSuchControl.1"));
   ASSERT_EQ(S_OK, ax.CreateControl(kTestControl));
   EXPECT_EQ(S_OK, AtlAxGetControl(empty, &control));
   EXPECT_EQ(1, CTestControl::live);
   control.Release();
   DestroyWindow(empty);
   DestroyWindow(host);
}

// Sinks the test control's events by control id.
class CSinkWindow : public CWindowImpl<CSinkWindow>,
                    public IDispEventImpl<kHostId, CSinkWindow, &DIID_AtlTestEvents> {
public:
   BEGIN_MSG_MAP(CSinkWindow)
   END_MSG_MAP()

   BEGIN_SINK_MAP(CSinkWindow)
      SINK_ENTRY_EX(kHostId, DIID_AtlTestEvents, 1, OnOpen)
      SINK_ENTRY_EX(kHostId, DIID_AtlTestEvents, 2, OnQuestion)
      SINK_ENTRY_EX(kHostId, DIID_AtlTestEvents, 3, OnRename)
      SINK_ENTRY_EX(kHostId, DIID_AtlTestEvents, 4, OnFail)
      SINK_ENTRY_EX(kHostId, DIID_AtlTestEvents, 5, OnObject)
   END_SINK_MAP()

   void __stdcall OnOpen(BSTR path, long kind)
   {
      opened = path ? path : L"";
      openedKind = kind;
   }
   void __stdcall OnQuestion(BSTR text, long a, VARIANT_BOOL flag, long *answer, VARIANT_BOOL *handled)
   {
      question = text;
      *answer = flag ? a * 2 : -a;
      *handled = VARIANT_TRUE;
   }
   long __stdcall OnRename(BSTR *name)
   {
      std::wstring renamed = std::wstring(*name) + L" (renamed)";
      SysFreeString(*name);
      *name = SysAllocString(renamed.c_str());
      return 99;
   }
   void __stdcall OnFail() { throw std::runtime_error("sink handler failed"); }
   void __stdcall OnObject(IUnknown *object, bool flag)
   {
      objectSeen = object;
      objectFlag = flag;
   }

   std::wstring opened;
   long openedKind = 0;
   std::wstring question;
   IUnknown *objectSeen = nullptr;
   bool objectFlag = false;
};

TEST_F(AtlAxHost, SinkMapReceivesTypedEventsUntilUnadvised)
{
   CSinkWindow sinkWnd;
   ASSERT_TRUE(sinkWnd.Create(parent, CWindow::rcDefault, nullptr, WS_CHILD));
   HWND host = CreateWindowExA(0, "AtlAxWin71", "AtlTest.Control.1", WS_CHILD, 0, 0, 100, 100, sinkWnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHostId)), GetModuleHandle(nullptr), nullptr);
   ASSERT_TRUE(host);
   CTestControl *control = CTestControl::last;
   ASSERT_TRUE(control);

   EXPECT_EQ(S_OK, AtlAdviseSinkMap(&sinkWnd, true));
   EXPECT_TRUE(sinkWnd.IsAdvised());
   EXPECT_EQ(1u, control->events.SinkCount());

   EXPECT_EQ(S_OK, control->events.Fire(1, L"/vm/1", 7L));
   EXPECT_EQ(L"/vm/1", sinkWnd.opened);
   EXPECT_EQ(7, sinkWnd.openedKind);
   // Values convert: a short and a narrow string become the long and the BSTR asked for.
   EXPECT_EQ(S_OK, control->events.Fire(1, "/vm/2", static_cast<short>(3)));
   EXPECT_EQ(L"/vm/2", sinkWnd.opened);
   EXPECT_EQ(3, sinkWnd.openedKind);

   long answer = 0;
   VARIANT_BOOL handled = VARIANT_FALSE;
   EXPECT_EQ(S_OK, control->events.Fire(2, L"how much?", 21, true, &answer, &handled));
   EXPECT_EQ(L"how much?", sinkWnd.question);
   EXPECT_EQ(42, answer);
   EXPECT_EQ(VARIANT_TRUE, handled);

   CComBSTR name(L"machine");
   VARIANT result;
   VariantInit(&result);
   DISPPARAMS params = {nullptr, nullptr, 0, 0};
   VARIANTARG arg;
   arg.vt = VT_BYREF | VT_BSTR;
   arg.pbstrVal = &name.m_str;
   params.rgvarg = &arg;
   params.cArgs = 1;
   EXPECT_EQ(S_OK, control->events.FireParams(3, &params, &result));
   EXPECT_TRUE(name == L"machine (renamed)");
   EXPECT_EQ(VT_I4, result.vt);
   EXPECT_EQ(99, result.lVal);

   // Wrong shapes are refused, not guessed at.
   EXPECT_EQ(DISP_E_BADPARAMCOUNT, control->events.Fire(1, L"/vm/3"));
   EXPECT_EQ(DISP_E_TYPEMISMATCH, control->events.Fire(2, L"q", 1, true, 5L, &handled));
   EXPECT_EQ(L"/vm/2", sinkWnd.opened);

   EXPECT_EQ(DISP_E_EXCEPTION, control->events.Fire(4));
   EXPECT_NE(std::string::npos, LogText().find("Guard: Uncaught exception: sink handler failed\n"));

   EXPECT_EQ(S_OK, control->events.Fire(5, static_cast<IAxControlWindow *>(control), false));
   EXPECT_EQ(static_cast<IUnknown *>(static_cast<IAxControlWindow *>(control)), sinkWnd.objectSeen);
   EXPECT_FALSE(sinkWnd.objectFlag);

   EXPECT_EQ(S_OK, AtlAdviseSinkMap(&sinkWnd, false));
   EXPECT_FALSE(sinkWnd.IsAdvised());
   EXPECT_EQ(0u, control->events.SinkCount());
   EXPECT_EQ(S_OK, control->events.Fire(1, L"/vm/after", 1L));
   EXPECT_EQ(L"/vm/2", sinkWnd.opened);

   // Advised directly and left connected: the sink disconnects itself when it goes away.
   CComPtr<IUnknown> unknown;
   ASSERT_EQ(S_OK, AtlAxGetControl(host, &unknown));
   {
      CSinkWindow shortLived;
      EXPECT_EQ(S_OK, shortLived.DispEventAdvise(unknown));
      EXPECT_EQ(S_FALSE, shortLived.DispEventAdvise(unknown));
      EXPECT_EQ(1u, control->events.SinkCount());
   }
   EXPECT_EQ(0u, control->events.SinkCount());
   unknown.Release();
   sinkWnd.DestroyWindow();
}

} // namespace
