// The save dialog of the capture commands: the system's explorer-style save dialog with a hook
// that takes a name only when it has an extension, and, for movies, a quality box below it.
#pragma once

#include <windows.h>

#include <string>

// True when the last part of `path` has an extension: a dot with at least one character after
// it (trailing blanks and dots, which the system drops, do not count).
bool HasFileExtension(const std::string &path);

class CZOLTCaptureFileDlg {
public:
   // `filterId`: a resource filter ("text|pattern||"). `withQuality` adds the movie's quality box.
   CZOLTCaptureFileDlg(UINT filterId, bool withQuality) : filterId_(filterId), withQuality_(withQuality) {}

   // The file name the dialog starts with (cut to the dialog's MAX_PATH - 1 characters) and the
   // folder it shows.
   void SetInitialFile(const std::string &name, const std::string &dir);
   std::string GetInitialName() const;
   // The quality box's choice (cui::Movie::Quality): preselected, and what the user chose.
   void SetQuality(int quality) { quality_ = quality; }
   int GetQuality() const { return quality_; }

   // Runs the dialog modally; true when the user chose a file (GetFile).
   bool DoModal(HWND owner);
   const std::string &GetFile() const { return file_; }

private:
   static UINT_PTR CALLBACK HookProc(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam);
   void OnInitDialog(HWND hook);
   // False when the dialog is to stay open.
   bool OnFileOk(HWND hook);

   UINT filterId_;
   bool withQuality_;
   int quality_ = 0;
   std::wstring initialName_;
   std::wstring initialDir_;
   std::string file_;
};
