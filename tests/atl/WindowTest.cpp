#include "WindowText.h"

#include <gtest/gtest.h>

#include <comdef.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "AtlTestSupport.h"
#include "atl/Atl.h"

namespace {

const UINT WM_ASK = WM_APP;
const UINT WM_DECLINE = WM_APP + 1;
const UINT WM_BASE_ASK = WM_APP + 2;
const UINT WM_MEMBER_ASK = WM_APP + 3;
const UINT WM_THROW = WM_APP + 4;
const UINT WM_RANGE_FIRST = WM_APP + 10;
const UINT WM_RANGE_LAST = WM_APP + 19;

using testsupport::TextOf;

// Chained as a base class.
template <class T>
class CBaseAnswers {
public:
   BEGIN_MSG_MAP(CBaseAnswers)
      MESSAGE_HANDLER(WM_BASE_ASK, OnBaseAsk)
   END_MSG_MAP()

   LRESULT OnBaseAsk(UINT, WPARAM, LPARAM, BOOL &) { return 11; }
};

// Chained as a member.
class CMemberAnswers {
public:
   BEGIN_MSG_MAP(CMemberAnswers)
      MESSAGE_HANDLER(WM_MEMBER_ASK, OnMemberAsk)
   END_MSG_MAP()

   LRESULT OnMemberAsk(UINT, WPARAM, LPARAM, BOOL &) { return ++asked; }
   int asked = 0;
};

class CRoutingWindow : public CWindowImpl<CRoutingWindow, CWindow, CFrameWinTraits>,
                       public CBaseAnswers<CRoutingWindow> {
public:
   DECLARE_WND_CLASS(TEXT("AtlTestRouting"))

   CRoutingWindow() : m_edit(TEXT("EDIT"), this, 1) {}

   BEGIN_MSG_MAP(CRoutingWindow)
      MESSAGE_HANDLER(WM_ASK, OnAsk)
      MESSAGE_HANDLER(WM_DECLINE, OnDecline)
      MESSAGE_HANDLER(WM_DECLINE, OnDeclineSecond)
      MESSAGE_HANDLER(WM_SETTEXT, OnSetText)
      MESSAGE_HANDLER(WM_THROW, OnThrow)
      MESSAGE_RANGE_HANDLER(WM_RANGE_FIRST, WM_RANGE_LAST, OnRange)
      COMMAND_ID_HANDLER(100, OnCommand100)
      COMMAND_HANDLER(300, 7, OnCommand300Code7)
      COMMAND_RANGE_HANDLER(200, 209, OnCommandRange)
      NOTIFY_HANDLER(400, 5, OnNotify400Code5)
      NOTIFY_CODE_HANDLER(6, OnNotifyCode6)
      CHAIN_MSG_MAP(CBaseAnswers<CRoutingWindow>)
      CHAIN_MSG_MAP_MEMBER(m_member)
   ALT_MSG_MAP(1)
      MESSAGE_HANDLER(WM_CHAR, OnEditChar)
   END_MSG_MAP()

   LRESULT OnAsk(UINT, WPARAM wParam, LPARAM, BOOL &) { return 42 + static_cast<LRESULT>(wParam); }
   LRESULT OnDecline(UINT, WPARAM, LPARAM, BOOL &bHandled)
   {
      bHandled = FALSE;
      return 1;
   }
   LRESULT OnDeclineSecond(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
   {
      // Declines odd requests too: those reach the default procedure (which answers 0).
      bHandled = (wParam % 2) == 0;
      return 2;
   }
   LRESULT OnSetText(UINT, WPARAM, LPARAM, BOOL &bHandled)
   {
      ++setTexts;
      bHandled = FALSE;   // the default procedure still stores the text
      return 0;
   }
   LRESULT OnThrow(UINT, WPARAM kind, LPARAM, BOOL &)
   {
      if (kind == 0) {
         throw std::runtime_error("handler failed on purpose");
      }
      if (kind == 1) {
         _com_issue_error(E_ACCESSDENIED);
      }
      throw 17;
   }
   LRESULT OnRange(UINT msg, WPARAM, LPARAM, BOOL &) { return msg - WM_RANGE_FIRST + 1000; }
   LRESULT OnCommand100(WORD code, WORD id, HWND ctl, BOOL &)
   {
      commands.push_back({code, id, ctl});
      return 0;
   }
   LRESULT OnCommand300Code7(WORD code, WORD id, HWND ctl, BOOL &)
   {
      commands.push_back({code, id, ctl});
      return 0;
   }
   LRESULT OnCommandRange(WORD code, WORD id, HWND ctl, BOOL &)
   {
      commands.push_back({code, static_cast<WORD>(id + 10000), ctl});
      return 0;
   }
   LRESULT OnNotify400Code5(int idCtrl, LPNMHDR nmhdr, BOOL &) { return 500 + idCtrl + static_cast<int>(nmhdr->code); }
   LRESULT OnNotifyCode6(int idCtrl, LPNMHDR, BOOL &) { return 600 + idCtrl; }
   LRESULT OnEditChar(UINT, WPARAM ch, LPARAM, BOOL &bHandled)
   {
      editChars += static_cast<char>(ch);
      bHandled = ch == 'x';   // swallow x, type everything else
      return 0;
   }

   struct Command {
      WORD code;
      WORD id;
      HWND ctl;
   };
   std::vector<Command> commands;
   std::string editChars;
   int setTexts = 0;
   CMemberAnswers m_member;
   CContainedWindow m_edit;
};

LRESULT Notify(HWND wnd, UINT_PTR id, UINT code)
{
   NMHDR hdr = {nullptr, id, code};
   return SendMessage(wnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&hdr));
}

TEST(AtlWindow, MessageMapRoutesEveryKindOfEntryAndHonoursTheHandledFlag)
{
   CRoutingWindow wnd;
   ASSERT_TRUE(wnd.Create(nullptr, CWindow::rcDefault, TEXT("routing")));
   EXPECT_EQ("routing", TextOf(wnd));
   EXPECT_EQ(0, wnd.setTexts);   // creation text is not a WM_SETTEXT

   EXPECT_EQ(42, wnd.SendMessage(WM_ASK));
   EXPECT_EQ(45, wnd.SendMessage(WM_ASK, 3));
   EXPECT_EQ(1000, wnd.SendMessage(WM_RANGE_FIRST));
   EXPECT_EQ(1009, wnd.SendMessage(WM_RANGE_LAST));
   EXPECT_EQ(0, wnd.SendMessage(WM_RANGE_LAST + 1));

   // A handler that clears bHandled passes the message on: to the next entry, then to the
   // default procedure.
   EXPECT_EQ(2, wnd.SendMessage(WM_DECLINE, 2));
   EXPECT_EQ(0, wnd.SendMessage(WM_DECLINE, 3));
   wnd.SetWindowText("changed");
   EXPECT_EQ(1, wnd.setTexts);
   EXPECT_EQ("changed", TextOf(wnd));

   HWND ctl = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 3), reinterpret_cast<LPARAM>(ctl));
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(300, 6), 0);   // wrong code: nobody
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(300, 7), 0);
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(199, 0), 0);   // outside the range
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(200, 0), 0);
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(209, 1), 0);
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(210, 0), 0);
   ASSERT_EQ(4u, wnd.commands.size());
   EXPECT_EQ(3, wnd.commands[0].code);
   EXPECT_EQ(100, wnd.commands[0].id);
   EXPECT_EQ(ctl, wnd.commands[0].ctl);
   EXPECT_EQ(7, wnd.commands[1].code);
   EXPECT_EQ(300, wnd.commands[1].id);
   EXPECT_EQ(10200, wnd.commands[2].id);
   EXPECT_EQ(10209, wnd.commands[3].id);
   EXPECT_EQ(1, wnd.commands[3].code);

   EXPECT_EQ(905, Notify(wnd, 400, 5));
   EXPECT_EQ(1000, Notify(wnd, 400, 6));   // not code 5: the code handler takes it
   EXPECT_EQ(601, Notify(wnd, 1, 6));
   EXPECT_EQ(0, Notify(wnd, 400, 7));

   // Chained maps.
   EXPECT_EQ(11, wnd.SendMessage(WM_BASE_ASK));
   EXPECT_EQ(1, wnd.SendMessage(WM_MEMBER_ASK));
   EXPECT_EQ(2, wnd.SendMessage(WM_MEMBER_ASK));

   EXPECT_TRUE(wnd.DestroyWindow());
   EXPECT_EQ(nullptr, wnd.m_hWnd);
}

TEST(AtlWindow, ContainedWindowRoutesToAltMapUntilUnsubclassed)
{
   CRoutingWindow wnd;
   ASSERT_TRUE(wnd.Create(nullptr, CWindow::rcDefault, TEXT("contained")));
   RECT rc = {0, 0, 200, 24};
   ASSERT_TRUE(wnd.m_edit.Create(wnd, rc, nullptr, WS_CHILD | WS_VISIBLE, 0, 10));
   WNDPROC editProc = wnd.m_edit.m_pfnSuperWindowProc;

   for (char c : std::string("axbx")) {
      wnd.m_edit.SendMessage(WM_CHAR, static_cast<WPARAM>(c), 1);
   }
   EXPECT_EQ("axbx", wnd.editChars);
   EXPECT_EQ("ab", TextOf(wnd.m_edit));
   // The window's own map (section 0) is not asked about the edit's messages.
   EXPECT_EQ(0, wnd.m_edit.SendMessage(WM_ASK));

   HWND edit = wnd.m_edit.UnsubclassWindow();
   ASSERT_NE(nullptr, edit);
   EXPECT_EQ(nullptr, wnd.m_edit.m_hWnd);
   EXPECT_EQ(reinterpret_cast<LONG_PTR>(editProc), GetWindowLongPtrW(edit, GWLP_WNDPROC));
   SendMessage(edit, WM_CHAR, 'x', 1);
   EXPECT_EQ("axbx", wnd.editChars);
   EXPECT_EQ("abx", TextOf(edit));

   // Subclass again; the window going away ends the subclassing by itself.
   ASSERT_TRUE(wnd.m_edit.SubclassWindow(edit));
   SendMessage(edit, WM_CHAR, 'x', 1);
   EXPECT_EQ("abx", TextOf(edit));
   wnd.DestroyWindow();
   EXPECT_EQ(nullptr, wnd.m_edit.m_hWnd);
}

// Subclasses an existing control with a whole window class of its own.
class CUpperEdit : public CWindowImpl<CUpperEdit> {
public:
   BEGIN_MSG_MAP(CUpperEdit)
      MESSAGE_HANDLER(WM_CHAR, OnChar)
      MESSAGE_HANDLER(WM_ASK, OnAsk)
   END_MSG_MAP()

   LRESULT OnChar(UINT msg, WPARAM ch, LPARAM lParam, BOOL &)
   {
      return DefWindowProc(msg, reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<LPWSTR>(ch))), lParam);
   }
   LRESULT OnAsk(UINT, WPARAM, LPARAM, BOOL &) { return 7; }
   void OnFinalMessage(HWND) override { ++finals; }
   int finals = 0;
};

TEST(AtlWindow, SubclassWindowTakesOverAControlAndUnsubclassGivesItBack)
{
   HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
   ASSERT_TRUE(edit);
   LONG_PTR original = GetWindowLongPtrW(edit, GWLP_WNDPROC);

   CUpperEdit upper;
   ASSERT_TRUE(upper.SubclassWindow(edit));
   EXPECT_FALSE(upper.SubclassWindow(edit));   // one window per object
   EXPECT_EQ(7, SendMessage(edit, WM_ASK, 0, 0));
   SendMessage(edit, WM_CHAR, 'q', 1);
   EXPECT_EQ("Q", TextOf(edit));

   EXPECT_EQ(edit, upper.UnsubclassWindow());
   EXPECT_EQ(original, GetWindowLongPtrW(edit, GWLP_WNDPROC));
   EXPECT_EQ(0, SendMessage(edit, WM_ASK, 0, 0));
   SendMessage(edit, WM_CHAR, 'q', 1);
   EXPECT_EQ("Qq", TextOf(edit));
   EXPECT_EQ(0, upper.finals);

   // Destroyed while subclassed: the final message comes once and the object lets go.
   ASSERT_TRUE(upper.SubclassWindow(edit));
   DestroyWindow(edit);
   EXPECT_EQ(1, upper.finals);
   EXPECT_EQ(nullptr, upper.m_hWnd);
}

class CChildWindow : public CWindowImpl<CChildWindow> {
public:
   explicit CChildWindow(int tag = 0) : tag(tag) {}

   BEGIN_MSG_MAP(CChildWindow)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_ASK, OnAsk)
      MESSAGE_HANDLER(OCM_COMMAND, OnReflectedCommand)
      DEFAULT_REFLECTION_HANDLER()
   END_MSG_MAP()

   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &)
   {
      hwndAtCreate = m_hWnd;
      return 0;
   }
   LRESULT OnAsk(UINT, WPARAM, LPARAM, BOOL &) { return tag; }
   LRESULT OnReflectedCommand(UINT, WPARAM wParam, LPARAM, BOOL &)
   {
      reflected = LOWORD(wParam);
      return 77;
   }

   int tag;
   HWND hwndAtCreate = nullptr;
   int reflected = 0;
};

class CParentWindow : public CWindowImpl<CParentWindow, CWindow, CFrameWinTraits> {
public:
   DECLARE_WND_CLASS(TEXT("AtlTestParent"))

   CParentWindow() : first(1), second(2) {}

   BEGIN_MSG_MAP(CParentWindow)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_CLOSE, OnClose)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_ASK, OnAsk)
      REFLECT_NOTIFICATIONS()
   END_MSG_MAP()

   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &)
   {
      // Children created while this window is still being created.
      RECT rc = {0, 0, 50, 50};
      first.Create(m_hWnd, rc, nullptr, 0, 0, 1);
      second.Create(m_hWnd, rc, nullptr, 0, 0, 2);
      return 0;
   }
   LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL &)
   {
      DestroyWindow();
      stillInClose = m_hWnd != nullptr;   // final clean-up waits for this handler
      return 0;
   }
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
   {
      ++destroys;
      bHandled = FALSE;
      return 0;
   }
   LRESULT OnAsk(UINT, WPARAM, LPARAM, BOOL &) { return 99; }
   void OnFinalMessage(HWND wnd) override
   {
      finalWnd = wnd;
      ++finals;
      if (deleteSelf) {
         *deleted = true;
         delete this;
      }
   }
   ~CParentWindow() override { destructed = true; }

   CChildWindow first;
   CChildWindow second;
   int destroys = 0;
   int finals = 0;
   HWND finalWnd = nullptr;
   bool stillInClose = false;
   bool deleteSelf = false;
   bool *deleted = nullptr;
   bool destructed = false;
};

TEST(AtlWindow, NestedCreationGivesEveryWindowItsOwnObject)
{
   CParentWindow parent;
   ASSERT_TRUE(parent.Create(nullptr, CWindow::rcDefault, TEXT("parent")));
   ASSERT_TRUE(parent.first.m_hWnd);
   ASSERT_TRUE(parent.second.m_hWnd);
   EXPECT_EQ(parent.first.m_hWnd, parent.first.hwndAtCreate);
   EXPECT_EQ(parent.second.m_hWnd, parent.second.hwndAtCreate);
   EXPECT_NE(parent.first.m_hWnd, parent.second.m_hWnd);
   EXPECT_EQ(parent.m_hWnd, parent.first.GetParent().m_hWnd);
   EXPECT_EQ(99, parent.SendMessage(WM_ASK));
   EXPECT_EQ(1, parent.first.SendMessage(WM_ASK));
   EXPECT_EQ(2, parent.GetDlgItem(2).SendMessage(WM_ASK));

   // Notifications to the parent come back to the child that sent them.
   EXPECT_EQ(77, parent.SendMessage(WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(parent.second.m_hWnd)));
   EXPECT_EQ(2, parent.second.reflected);
   EXPECT_EQ(0, parent.first.reflected);

   HWND wnd = parent.m_hWnd;
   parent.SendMessage(WM_CLOSE);
   EXPECT_TRUE(parent.stillInClose);
   EXPECT_EQ(1, parent.destroys);
   EXPECT_EQ(1, parent.finals);
   EXPECT_EQ(wnd, parent.finalWnd);
   EXPECT_EQ(nullptr, parent.m_hWnd);
   EXPECT_FALSE(IsWindow(wnd));
   EXPECT_EQ(nullptr, parent.first.m_hWnd);
}

struct MadeOnThread {
   bool created = false;
   bool ownObjects = false;
};

DWORD WINAPI MakeWindowsAndEnd(LPVOID data)
{
   auto *result = static_cast<MadeOnThread *>(data);
   CParentWindow parent;
   result->created = parent.Create(nullptr, CWindow::rcDefault, TEXT("thread parent")) != nullptr;
   result->ownObjects = parent.first.m_hWnd && parent.first.m_hWnd == parent.first.hwndAtCreate &&
                        parent.second.m_hWnd == parent.second.hwndAtCreate;
   parent.DestroyWindow();
   return 7;
}

TEST(AtlWindow, ThreadsThatMadeWindowsEndCleanly)
{
   // Each thread makes nested windows (the creation stacks grow and empty again), then ends: the
   // stacks' thread-local storage must be released without freeing anything twice.
   for (int round = 0; round < 3; ++round) {
      MadeOnThread made;
      HANDLE thread = CreateThread(nullptr, 0, &MakeWindowsAndEnd, &made, 0, nullptr);
      ASSERT_TRUE(thread);
      ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
      DWORD code = 0;
      GetExitCodeThread(thread, &code);
      CloseHandle(thread);
      EXPECT_EQ(7u, code) << "the thread did not end normally";
      EXPECT_TRUE(made.created);
      EXPECT_TRUE(made.ownObjects);
   }
   // This thread's creation still works after the others ended.
   CParentWindow parent;
   ASSERT_TRUE(parent.Create(nullptr, CWindow::rcDefault, TEXT("parent after threads")));
   EXPECT_EQ(parent.first.m_hWnd, parent.first.hwndAtCreate);
   parent.DestroyWindow();
}

TEST(AtlWindow, OnFinalMessageMayDeleteTheObject)
{
   bool deleted = false;
   auto *wnd = new CParentWindow;
   wnd->deleteSelf = true;
   wnd->deleted = &deleted;
   HWND hwnd = wnd->Create(nullptr, CWindow::rcDefault, TEXT("self-deleting"));
   ASSERT_TRUE(hwnd);
   DestroyWindow(hwnd);
   EXPECT_TRUE(deleted);
   EXPECT_FALSE(IsWindow(hwnd));
}

TEST(AtlWindow, ExceptionInHandlerIsLoggedAndTheWindowKeepsWorking)
{
   CRoutingWindow wnd;
   ASSERT_TRUE(wnd.Create(nullptr, CWindow::rcDefault, TEXT("throwing")));

   EXPECT_EQ(0, wnd.SendMessage(WM_THROW, 0));
   EXPECT_NE(std::string::npos, LogText().find("Guard: Uncaught exception: handler failed on purpose\n"));

   EXPECT_EQ(0, wnd.SendMessage(WM_THROW, 1));
   EXPECT_NE(std::string::npos, LogText().find("Guard: Uncaught exception: COM error 0x80070005"));

   size_t before = LogText().size();
   EXPECT_EQ(0, wnd.SendMessage(WM_THROW, 2));
   EXPECT_EQ("Guard: Uncaught exception.\n", LogText().substr(LogText().find("Guard:", before)));

   EXPECT_EQ(42, wnd.SendMessage(WM_ASK));
   wnd.DestroyWindow();
}

TEST(AtlWindow, WindowOutlivingItsObjectFallsBackToDefaults)
{
   auto *gone = new CRoutingWindow;
   HWND orphan = gone->Create(nullptr, CWindow::rcDefault, TEXT("orphan"));
   ASSERT_TRUE(orphan);
   delete gone;

   EXPECT_EQ(0, SendMessage(orphan, WM_ASK, 0, 0));
   SetWindowTextA(orphan, "still a window");
   EXPECT_EQ("still a window", TextOf(orphan));

   // A window created next takes its own object, not the orphan's place.
   CRoutingWindow next;
   ASSERT_TRUE(next.Create(nullptr, CWindow::rcDefault, TEXT("next")));
   EXPECT_EQ(42, next.SendMessage(WM_ASK));
   EXPECT_EQ(0, SendMessage(orphan, WM_ASK, 0, 0));
   EXPECT_TRUE(DestroyWindow(orphan));
   next.DestroyWindow();
}

TEST(AtlWindow, CenterWindowStaysInsideTheParentAndTextReadsBackAsBSTR)
{
   CWindow parent(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandle(nullptr), nullptr));
   ASSERT_TRUE(parent.IsWindow());
   RECT client;
   parent.GetClientRect(&client);
   CWindow child;
   RECT rc = {0, 0, 100, 50};
   ASSERT_TRUE(child.Create(TEXT("STATIC"), parent, rc, nullptr, WS_CHILD));
   CWindow corner;
   RECT cornerRc = {client.right - 50, 0, client.right, 20};
   ASSERT_TRUE(corner.Create(TEXT("STATIC"), parent, cornerRc, nullptr, WS_CHILD));

   EXPECT_TRUE(child.CenterWindow());
   child.GetWindowRect(&rc);
   parent.ScreenToClient(&rc);
   EXPECT_EQ((client.right - 100) / 2, rc.left);
   EXPECT_EQ((client.bottom - 50) / 2, rc.top);

   // Centred on a sibling in the corner, it is pushed back inside the parent.
   EXPECT_TRUE(child.CenterWindow(corner));
   child.GetWindowRect(&rc);
   parent.ScreenToClient(&rc);
   EXPECT_EQ(client.right - 100, rc.left);
   EXPECT_EQ(0, rc.top);

   child.SetWindowText(L"wide \u00fc text");
   BSTR text = SysAllocString(L"replaced");
   EXPECT_TRUE(child.GetWindowText(text));
   EXPECT_EQ(11u, SysStringLen(text));
   EXPECT_STREQ(L"wide \u00fc text", text);
   SysFreeString(text);
   parent.DestroyWindow();
}

// A class of its own built on the system's edit control.
class CSuperEdit : public CWindowImpl<CSuperEdit> {
public:
   DECLARE_WND_SUPERCLASS(TEXT("AtlTestSuperEdit"), TEXT("EDIT"))

   BEGIN_MSG_MAP(CSuperEdit)
      MESSAGE_HANDLER(WM_ASK, OnAsk)
   END_MSG_MAP()

   LRESULT OnAsk(UINT, WPARAM, LPARAM, BOOL &) { return 5; }
};

TEST(AtlWindow, SuperclassAddsAMapToASystemControl)
{
   CSuperEdit edit;
   RECT rc = {0, 0, 200, 24};
   ASSERT_TRUE(edit.Create(nullptr, rc, TEXT("start"), WS_POPUP | ES_AUTOHSCROLL));
   char cls[64] = "";
   GetClassNameA(edit, cls, sizeof(cls));
   EXPECT_STREQ("AtlTestSuperEdit", cls);
   EXPECT_EQ(5, edit.SendMessage(WM_ASK));
   // Everything else is the edit control's own behaviour.
   edit.SendMessage(EM_SETSEL, 5, 5);
   edit.SendMessage(WM_CHAR, '!', 1);
   EXPECT_EQ("start!", TextOf(edit));
   EXPECT_EQ(6, edit.SendMessage(WM_GETTEXTLENGTH));
   edit.DestroyWindow();
}

// The scoped GDI holders paint with: what they made is gone after the scope, what they selected is
// selected out again, and what is handed on survives its holder.
TEST(AtlGdi, ScopedObjectsAreFreedAndSelectionsUndoneOnScopeExit)
{
   atl::ScopedWindowDC screen(nullptr);
   ASSERT_NE(screen.get(), nullptr);
   HDC memory = nullptr;
   HBITMAP image = nullptr;
   HBRUSH brush = nullptr;
   {
      atl::ScopedDC dc(screen);
      memory = dc.get();
      ASSERT_EQ(OBJ_MEMDC, GetObjectType(memory));
      const HGDIOBJ original = GetCurrentObject(dc, OBJ_BITMAP);
      atl::ScopedBitmap bitmap(CreateCompatibleBitmap(screen, 8, 8));
      image = bitmap;
      {
         atl::ScopedSelection selected(dc, bitmap);
         EXPECT_EQ(image, GetCurrentObject(dc, OBJ_BITMAP));
      }
      EXPECT_EQ(original, GetCurrentObject(dc, OBJ_BITMAP));

      atl::ScopedBrush red(CreateSolidBrush(RGB(255, 0, 0)));
      brush = red;
      const HGDIOBJ originalBrush = GetCurrentObject(dc, OBJ_BRUSH);
      {
         atl::ScopedSelection none(dc, nullptr);
         atl::ScopedSelection first(dc, red);
         EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
         // Selected out for a while, a holder takes a new selection, which its scope then undoes.
         first.restore();
         first = atl::ScopedSelection(dc, GetStockObject(WHITE_BRUSH));
         EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetCurrentObject(dc, OBJ_BRUSH));
      }
      EXPECT_EQ(originalBrush, GetCurrentObject(dc, OBJ_BRUSH));
      // Made after the bitmap, this selection is undone before the bitmap is deleted.
      atl::ScopedSelection again(dc, bitmap);
   }
   EXPECT_EQ(0u, GetObjectType(image));
   EXPECT_EQ(0u, GetObjectType(brush));
   EXPECT_EQ(0u, GetObjectType(memory));

   // Moves and release() hand ownership on; reset() deletes what was held.
   atl::ScopedFont kept;
   HFONT font = nullptr;
   HPEN replaced = nullptr;
   {
      atl::ScopedFont made(CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
      font = made;
      kept = std::move(made);
      EXPECT_EQ(nullptr, made.get());

      atl::ScopedPen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
      replaced = pen;
      pen.reset(CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
      EXPECT_EQ(0u, GetObjectType(replaced));
      HPEN handedOn = pen.release();
      EXPECT_EQ(OBJ_PEN, GetObjectType(handedOn));
      DeleteObject(handedOn);

      atl::ScopedDC from(screen);
      atl::ScopedDC to;
      memory = from;
      to = std::move(from);
      EXPECT_EQ(OBJ_MEMDC, GetObjectType(memory));
   }
   EXPECT_EQ(0u, GetObjectType(memory));
   EXPECT_EQ(font, kept.get());
   EXPECT_EQ(OBJ_FONT, GetObjectType(font));
}

} // namespace
