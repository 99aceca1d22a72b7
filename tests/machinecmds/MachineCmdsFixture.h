// An application in-process with a local session, machines opened through its own opener, and
// the windows it raises (message boxes, questions) answered from a thread timer as a user would.
#pragma once

#include "SessionFixture.h"

#include "cui/AppDataPaths.h"
#include "cui/Team.h"
#include "zoltApp.h"

#include <functional>
#include <vector>
#include <string>

// What an asynchronous operation handed its abort and done slots.
struct Outcome {
   int aborts = 0;
   bool cancelled = false;
   std::string error;
   int dones = 0;
   cui::AbortSlot Abort();
   cui::DoneSlot Done();
};

// Runs `answer` once on the first visible dialog window of this thread that appears while it
// lives (a message box, a question), from inside that window's modal loop or the poll loop.
class DialogAnswerer {
public:
   explicit DialogAnswerer(std::function<void(HWND)> answer);
   ~DialogAnswerer();
   bool Answered() const { return answered_; }
   // The dialog's texts (static controls), joined by "\n".
   const std::string &Text() const { return text_; }

private:
   static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
   std::function<void(HWND)> answer_;
   UINT_PTR timer_ = 0;
   bool answered_ = false;
   std::string text_;
};

// The whole text of a file; empty when it cannot be read.
std::string FileText(const std::string &path);

class MachineCmds : public SessionFixture {
protected:
   // Where the log stands now (the log is started in the test's folder when it is not yet), and
   // what it gained since such a mark.
   size_t LogMark();
   std::string LoggedSince(size_t mark) const;

   void SetUp() override;
   void TearDown() override;

   // A team file in the test's folder with the machines `members` (made as machine files beside
   // it, unless `missing` names one that is left out), in start-up order, and the LAN "LAN 1"
   // (network id "pvn-" + name).
   std::string WriteTeam(const std::string &name, const std::vector<std::string> &members,
                         const std::string &missing = "");
   // Opens the team through CZOLTApp::OpenTeam as the command line does and waits until the open
   // ends, either way; the team, or null.
   wui::Team *OpenTeam(const std::string &path, Outcome &outcome, OpenFlags flags = OpenFlags().MakeCurrent());

   // Opens the machine file through CZOLTApp::OpenVM with the flags and waits for the outcome;
   // returns OpenVM's result.
   bool OpenThroughApp(const std::string &file, bool newTab, bool openTab, bool makeCurrent, Outcome &outcome);
   // Adds opened-object records of another kind until `count` exist.
   void FillRecordsTo(int count);
   int RecordCount() const { return CountElements(cui::appdata::kOpenedObjElements); }
   // The record of a machine's tab; empty when it has none.
   std::string RecordOf(cui::VM *vm) const;
   // Powers the machine on (or to another state) and waits for it.
   bool PowerTo(cui::VM *vm, cui::VM::PowerState state);
   bool WaitForState(cui::VM *vm, cui::VM::PowerState state, long ms = 5000);

   static void Press(HWND dlg, int id);

   static const char *const kOpenedObjs;   // cui::appdata::kOpenedObjElements
   static const char *const kHome;         // cui::appdata::kHomeObj

   // The opened-object record named `name` ("0100" for "#0100/").
   static std::string Record(const std::string &name)
   {
      return cui::appdata::kOpenedObjElements + name + "/";
   }
};
