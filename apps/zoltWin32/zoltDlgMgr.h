// The program's dialog factory, registered with the model library (which builds its own
// wui::DlgMgr over it): the owner and title of the dialogs it makes.
#pragma once

#include "cui/DlgMgr.h"

#include <windows.h>

#include <string>

class DlgMgr : public cui::DlgMgr {
public:
   DlgMgr() = default;
   ~DlgMgr() override;

   void SetDefaultOwner(HWND owner) { owner_ = owner; }
   HWND GetDefaultOwner() const { return owner_; }
   void SetDefaultTitle(const std::string &title) { title_ = title; }
   const std::string &GetDefaultTitle() const { return title_; }

private:
   HWND owner_ = nullptr;
   std::string title_;
};
