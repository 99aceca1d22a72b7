// Steps a user takes in a property sheet of this thread, run from a thread timer inside the
// sheet's modal loop: each step waits until its condition holds, then acts once. Poll steps of the
// base library run on every tick, as the program's frame runs them under a modal sheet.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wiztest {

struct Step {
   std::string what;
   std::function<bool(HWND)> ready;
   std::function<void(HWND)> act;
};

class SheetSteps {
public:
   // The sheet is the visible dialog of this thread captioned `caption`.
   SheetSteps(const std::wstring &caption, std::vector<Step> steps);
   ~SheetSteps();

   bool Finished() const { return next_ == steps_.size(); }
   // The step that never became ready; empty when all ran.
   std::string Stuck() const { return next_ < steps_.size() ? steps_[next_].what : std::string(); }

   SheetSteps(const SheetSteps &) = delete;
   SheetSteps &operator=(const SheetSteps &) = delete;

private:
   static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
   void Tick();

   std::wstring caption_;
   std::vector<Step> steps_;
   size_t next_ = 0;
   UINT_PTR timer_ = 0;
   int ticks_ = 0;
   bool busy_ = false;
};

HWND SheetPage(HWND sheet);
// The sheet shows the page made from template `id`.
bool OnSheetPage(HWND sheet, int id);
void PressSheet(HWND sheet, int button);
Step PressOn(const std::string &what, int pageId, int button);

}  // namespace wiztest
