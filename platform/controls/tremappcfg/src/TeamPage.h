// The base of the team pages ("tremappcfg.PropTeam*.9"): binds to the "CuiObj" among the frame's
// data objects, makes the sheet page from its template and routes the page's messages to the
// page's own handlers. A page changes the editable as the user works; a change the editable
// refuses is shown on the page's error line and leaves the editable as it was.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "atl/ComObject.h"
#include "tremappcfg/TeamCfg.h"

namespace tremappcfg {

class TeamPage : public atl::ComObject<ITremappCfgPage> {
public:
   template <class Page>
   static HRESULT Create(REFIID iid, void **ppv)
   {
      return atl::CreateComObject<Page>(iid, ppv);
   }

   HRESULT __stdcall raw_Bind(ITremappPropObj *const *objects, long count) override;
   HRESULT __stdcall raw_CreatePage(HPROPSHEETPAGE *page) override;
   HRESULT __stdcall raw_IsAccepted() override;
   HRESULT __stdcall raw_Commit() override;

protected:
   explicit TeamPage(UINT dialogId) : dialogId_(dialogId) {}

   virtual void OnInit(HWND wnd) = 0;
   virtual void OnCommand(HWND, WORD, WORD) {}
   virtual void OnNotify(HWND, const NMHDR *) {}
   // Leaving the page or OK: true when what the page holds can be taken (pending edits applied).
   virtual bool TakeValues(HWND) { return true; }
   // After OK: the values kept by TakeValues go into the editable.
   virtual void CommitValues() {}

   // The error line; an empty text clears it. A non-zero `focus` gets the focus.
   static void ShowError(HWND wnd, const std::wstring &text, int focus = 0);
   static std::wstring ItemText(HWND wnd, int id);
   static void AddColumn(HWND list, int index, UINT textId, int width);
   // The selected row of a list view; -1 for none.
   static int SelectedRow(HWND list);

   cui::TeamEditable *editable_ = nullptr;

private:
   static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
   INT_PTR Route(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

   UINT dialogId_;
   bool accepted_ = false;
};

// Name and notes.
class TeamSummaryPage : public TeamPage {
public:
   TeamSummaryPage();

protected:
   void OnInit(HWND wnd) override;
   bool TakeValues(HWND wnd) override;
   void CommitValues() override;

private:
   std::string name_;
   std::string notes_;
};

// The members with their start-up order and delay; add and remove.
class TeamVMsPage : public TeamPage {
public:
   TeamVMsPage();

protected:
   void OnInit(HWND wnd) override;
   void OnCommand(HWND wnd, WORD id, WORD code) override;
   void OnNotify(HWND wnd, const NMHDR *header) override;
   bool TakeValues(HWND wnd) override;

private:
   void Fill(HWND wnd, int select);
   void ShowSelected(HWND wnd);
   void AddMember(HWND wnd);
   void RemoveMember(HWND wnd);
   // The order and delay typed for the selected member into the editable; `quiet` skips a
   // member whose values are unchanged without a message.
   bool SetStartup(HWND wnd, bool quiet);
};

// The LANs: add, remove, and change the name, bandwidth and loss of one; below them the
// machines against the LANs, where the user puts a machine on a LAN or takes it off.
class TeamLANsPage : public TeamPage {
public:
   TeamLANsPage();

protected:
   void OnInit(HWND wnd) override;
   void OnCommand(HWND wnd, WORD id, WORD code) override;
   void OnNotify(HWND wnd, const NMHDR *header) override;
   bool TakeValues(HWND wnd) override;

private:
   // The members' list in the placeholder's place; the page works without it.
   void CreateMembersList(HWND wnd);
   void Fill(HWND wnd, int select);
   void ShowSelected(HWND wnd);
   // The typed values, checked against the names of the other LANs (`except` is the row being
   // changed, -1 for none); false after the reason is shown.
   bool ReadTyped(HWND wnd, int except, LANInput &input);
   void AddLAN(HWND wnd);
   void RemoveLAN(HWND wnd);
   void ChangeLAN(HWND wnd);

   ITeamListViewPtr members_;
};

// Where the team is kept and how it powers on.
class TeamOptionsPage : public TeamPage {
public:
   TeamOptionsPage();

protected:
   void OnInit(HWND wnd) override;
};

}  // namespace tremappcfg
