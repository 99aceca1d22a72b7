// Acts on the modal dialogs this thread shows, as a user would while they are up: a thread timer
// hands each new visible dialog to the test's step once, inside whatever modal loop runs it.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>

class ModalDriver {
public:
   explicit ModalDriver(std::function<void(HWND)> step);
   ~ModalDriver();

   // How many dialogs were handed to the step.
   int Seen() const { return seen_; }

   ModalDriver(const ModalDriver &) = delete;
   ModalDriver &operator=(const ModalDriver &) = delete;

private:
   static VOID CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
   static BOOL CALLBACK Look(HWND wnd, LPARAM self);

   std::function<void(HWND)> step_;
   std::set<HWND> handled_;
   UINT_PTR timer_ = 0;
   int seen_ = 0;
   bool busy_ = false;
};

// Helpers for the steps.
std::string ItemText(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemVisible(HWND dialog, int id);
// Sets an edit's or a combo box's text and tells the dialog as typing would.
void TypeInto(HWND dialog, int id, const std::string &text);
void Click(HWND dialog, int id);
