// The window behind the library's own dialogs: a modeless dialog laid out in code from a
// LibDlgLayout (text, icon, choice buttons or radio choices, labelled fields, a check box, a
// progress bar), owned by a window it disables while it is up.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cuiutil {

// The system icons, by id (the IDI_ names are narrow-string resources without UNICODE).
const LPCWSTR kIconError = MAKEINTRESOURCEW(32513);
const LPCWSTR kIconQuestion = MAKEINTRESOURCEW(32514);
const LPCWSTR kIconWarning = MAKEINTRESOURCEW(32515);
const LPCWSTR kIconInfo = MAKEINTRESOURCEW(32516);

struct LibDlgLayout {
   struct Field {
      std::string label;
      bool password;
      std::string value;
   };
   struct Button {
      std::string label;
      int answer;
   };

   std::string title;
   std::string text;
   LPCWSTR icon = nullptr;                 // one of the kIcon system icons, or none
   std::vector<std::string> radios;        // radio choices, answered by the radio's index
   int checkedRadio = 0;
   std::vector<Field> fields;
   std::string checkBox;                   // empty: none
   bool progress = false;
   std::vector<Button> buttons;            // left to right; the default is `defaultButton`
   size_t defaultButton = 0;
   int closeAnswer = -1;                   // Escape and the close box; -1: they do nothing
};

class LibDlgWindow {
public:
   // Control ids, for the code and the tests that drive the window.
   enum {
      kText = 100,
      kIcon = 101,
      kRadioBase = 200,
      kFieldBase = 300,   // field i: label kFieldBase + 2i, edit kFieldBase + 2i + 1
      kCheckBox = 400,
      kProgress = 500,
      kButtonBase = 600,
   };
   // An answer a button gives for "the radio that is checked".
   static const int kCheckedRadio = -2;

   LibDlgWindow() = default;
   ~LibDlgWindow();

   // Creates and shows the window; false when it could not be made.
   bool Create(const LibDlgLayout &layout, HWND owner);
   // Destroys the window; the owner is enabled again when no other dialog of it is left.
   void Destroy();
   HWND GetHwnd() const { return hwnd_; }

   std::string GetFieldText(size_t field) const;
   void SetFieldText(size_t field, const std::string &text);
   void FocusField(size_t field);
   bool IsChecked() const;
   // The index of the checked radio; -1 when none is.
   int GetCheckedRadio() const;
   void SetText(const std::string &text);
   void SetProgress(int percent);
   void ShowButton(size_t button, bool show);

   // A button was pressed (its answer) or the window was closed (the close answer).
   sigc::slot<void, int> onAnswer;
   // The window is gone (after its last message).
   sigc::slot<void> onGone;

   LibDlgWindow(const LibDlgWindow &) = delete;
   LibDlgWindow &operator=(const LibDlgWindow &) = delete;

private:
   static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
   INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
   void OnInitDialog();
   void Answer(int answer);

   HWND hwnd_ = nullptr;
   HWND owner_ = nullptr;
   LibDlgLayout layout_;
};

}  // namespace cuiutil
