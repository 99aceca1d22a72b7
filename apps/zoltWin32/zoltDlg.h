// CVMDlg: the message dialog behind every question, warning, error, hint and password prompt of
// the model library. One template (IDD_VMDLG) whose look is decided at run time by the text, title,
// kind ("info", "warning", "error", "hint", "question", "hintQuestion"), button set ("ok",
// "okCancel", "retryAbort", "retryCancel", "yesNo", "custom", "password") and the choices.
#pragma once

#include "zoltDlgBase.h"
#include "zoltDlgLayout.h"

#include "res/resource.h"

#include <comdef.h>

#include <string>
#include <vector>

// A choice button: a double-click answers it at once, as the first push button would.
class CVMMsgChkBtn : public CWindowImpl<CVMMsgChkBtn> {
public:
   BEGIN_MSG_MAP(CVMMsgChkBtn)
      MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
   END_MSG_MAP()

   LRESULT OnDoubleClick(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &handled);
};

class CVMDlg : public CVMDlgBase<CVMDlg> {
public:
   enum { IDD = IDD_VMDLG };

   CVMDlg() = default;
   ~CVMDlg() override;

   BEGIN_MSG_MAP(CVMDlg)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDC_VMDLG_FIRST, OnFirstButton)
      COMMAND_ID_HANDLER(IDC_VMDLG_SECOND, OnSecondButton)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
      MESSAGE_HANDLER(WM_CLOSE, OnClose)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
   END_MSG_MAP()

   // Creates and shows the window owned by `owner`; nonzero on success.
   int ShowDialog(HWND owner, const std::string &text, const std::string &title, const std::string &set,
                  const std::string &kind, bool disableOwner);
   // Before ShowDialog: the choices (empty ones are skipped, the others keep their positions as
   // their answers), the choice checked at first and the one closing the window answers.
   void SetChoices(int defaultIndex, int cancelIndex, const std::vector<std::string> &choices);
   static void SetButton(ButtonRecord &record, const std::string &label, int id, int visible, BOOL enabled);

   _bstr_t GetPasswordText() const;
   _bstr_t GetConfirmText() const;

   void OnClicked(int id) override;
   void OnFinalMessage(HWND wnd) override;

   const ButtonPlan &GetPlan() const { return plan_; }
   const std::string &GetText() const { return text_; }
   const std::string &GetTitle() const { return title_; }

protected:
   LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &handled);
   LRESULT OnFirstButton(WORD code, WORD id, HWND ctl, BOOL &handled);
   LRESULT OnSecondButton(WORD code, WORD id, HWND ctl, BOOL &handled);
   LRESULT OnCancel(WORD code, WORD id, HWND ctl, BOOL &handled);
   LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &handled);
   LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &handled);

private:
   void SetDefaultButton(HWND button, HWND other);
   void LoadKindIcon();
   void LayoutText();
   int MeasureText(HWND text) const;

   std::string text_;
   std::string title_;
   HICON icon_ = nullptr;
   bool ownsIcon_ = false;
   HWND first_ = nullptr;
   HWND second_ = nullptr;
   ButtonPlan plan_;
   CVMMsgChkBtn choiceButtons_[kMaxChoiceButtons];
   HWND check_ = nullptr;
   bool deleting_ = false;
};
