// The dialog kinds the factory makes: each joins a model-library dialog interface with the
// message dialog (or the progress window) and carries out the reply protocol. A press disables
// the window, Reply tells the library, and its answer makes the window usable again (ENABLE),
// leaves it greyed (KEEP_DISABLED) or destroys it (DESTROY); the object deletes itself after
// its window's last message.
#pragma once

#include "zoltDlg.h"
#include "zoltProgress.h"

#include "cui/Dlg.h"

#include <memory>
#include <string>
#include <vector>

class Dlg : public virtual cui::Dlg, public CVMDlg {
public:
   ~Dlg() override;
   HWND GetDlgWindow() const override { return m_hWnd; }
   // The window goes first; the object follows after its last message.
   void DeleteDlg() override;
   void OnClicked(int id) override;

protected:
   Dlg() = default;
   // Shared with every press in progress: false once the object is gone.
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class DlgNoChoice : public virtual ::Dlg {};

class DlgChoice : public virtual cui::DlgChoice, public virtual ::Dlg {
public:
   int GetChoice() const override { return choice_; }
   void OnClicked(int id) override;

protected:
   DlgChoice() = default;

private:
   int choice_ = 0;
};

class DlgSuppress : public virtual cui::DlgSuppress, public virtual ::Dlg {
public:
   bool IsSuppressed() const override;
};

class DlgInfo : public virtual cui::DlgInfo, public DlgNoChoice {
public:
   DlgInfo(const std::string &text, const std::string &title, HWND owner);
};

class DlgWarning : public virtual cui::DlgWarning, public DlgNoChoice {
public:
   DlgWarning(const std::string &text, const std::string &title, HWND owner);
};

class DlgError : public virtual cui::DlgError, public DlgNoChoice {
public:
   DlgError(const std::string &text, const std::string &title, HWND owner);
};

class DlgHint : public virtual cui::DlgHint, public ::DlgSuppress {
public:
   DlgHint(const std::string &text, const std::string &title, HWND owner);
};

class DlgQuestion : public virtual cui::DlgQuestion, public ::DlgChoice {
public:
   DlgQuestion(const std::string &text, const std::vector<std::string> &choices, const std::string &title,
               int cancelIndex, int defaultIndex, HWND owner, cui::DlgQuestion::Icon icon);
};

class DlgSQuestion : public virtual cui::DlgSQuestion, public ::DlgChoice, public ::DlgSuppress {
public:
   DlgSQuestion(const std::string &text, const std::vector<std::string> &choices, const std::string &title,
                int cancelIndex, int defaultIndex, HWND owner);
};

class DlgPassword : public virtual cui::DlgPassword, public ::DlgChoice {
public:
   DlgPassword(const std::string &text, const std::string &title, HWND owner);
   std::string GetPassword() const override;
   std::string GetConfirmation() const override;
   std::string GetUser() const override;
};

class DlgProgress : public virtual cui::DlgProgress, public CVMProgress {
public:
   DlgProgress(const std::string &text, const std::string &title, HWND owner);
   ~DlgProgress() override;

   HWND GetDlgWindow() const override { return m_hWnd; }
   void DeleteDlg() override;
   void SetCancelable(bool cancelable) override;
   void SetText(const std::string &text) override;
   void SetProgress(int percent) override;
   void OnClicked(int id) override;
   void OnFinalMessage(HWND wnd) override;

private:
   std::string text_;
   bool deleting_ = false;
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class DlgFileBrowser : public virtual cui::DlgFileBrowser {
public:
   DlgFileBrowser(const std::string &title, const std::string &initialFile, const FilterList &filters,
                  int filterIndex, const std::string &initialDir, HWND owner);
   ~DlgFileBrowser() override;

   void Run() override;
   std::string GetPath() const override { return path_; }
   bool IsCancelled() const override { return cancelled_; }

   // The filter text of the open-file box: name, NUL, patterns joined by ';', NUL, ..., NUL.
   std::string BuildFilterText() const;
   // The one-based filter preselected (-1 picks the last filter the library gave).
   int GetFilterIndex() const;
   const FilterList &GetFilters() const { return filters_; }

private:
   std::string path_;
   std::string title_;
   std::string initialFile_;
   FilterList filters_;
   int filterIndex_;
   std::string initialDir_;
   HWND owner_;
   bool cancelled_ = false;
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
