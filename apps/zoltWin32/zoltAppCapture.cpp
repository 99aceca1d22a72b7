// Capturing a machine's screen to a bitmap file and its console to a movie.
#include "zoltApp.h"

#include "zoltCaptureFileDlg.h"
#include "zoltGuard.h"

#include <memory>

#include "cui/Movie.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace {

std::string SystemErrorText(DWORD code)
{
   wchar_t *buffer = nullptr;
   DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
   std::string text = length && buffer ? Utf8FromWide(std::wstring_view(buffer, length)) : "error " + std::to_string(code);
   if (buffer) {
      LocalFree(buffer);
   }
   while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
      text.pop_back();
   }
   return text;
}

// The bitmap is in the temporary file: the user names where it goes.
void OnScreenshotSaved(CZOLTApp &app, const std::string &temp)
{
   CZOLTCaptureFileDlg dialog(IDS_BITMAP_FILTER, false);
   sigc::slot<void> restore;
   app.BeginModal(restore);
   bool chosen = dialog.DoModal(app.GetFrameWindow());
   Guard(restore);
   if (!chosen) {
      return;
   }
   if (!MoveFileExW(WidePathFromUtf8(temp).c_str(), WidePathFromUtf8(dialog.GetFile()).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
      std::string system = SystemErrorText(GetLastError());
      std::string detail = tremapputil::ResString(IDS_CAPTURE_MOVE_FAILED).Format({system});
      ReportError(_bstr_t(detail.c_str()), IDS_CAPTURE_SCREEN_FAILED, _bstr_t(""));
   }
}

void OnScreenshotDone(const std::string &temp, bool succeeded, const cui::Error &error)
{
   // After a move the file is gone already.
   DeleteFileW(WidePathFromUtf8(temp).c_str());
   if (!succeeded) {
      ReportError(_bstr_t(error.what()), IDS_CAPTURE_SCREEN_FAILED, _bstr_t(""));
   }
}

}  // namespace

void CZOLTApp::CaptureScreen(cui::VM *vm)
{
   if (vm == nullptr) {
      return;
   }
   std::string dir = wui::util::GetTempDirectory();
   wchar_t temp[MAX_PATH] = L"";
   if (dir.empty() || !GetTempFileNameW(WideFromUtf8(dir).c_str(), L"bmp", 0, temp)) {
      std::string error = SystemErrorText(GetLastError());
      Log("CZOLTApp::CaptureScreen: Failed to generate a temporary file: %s\n", error.c_str());
      return;
   }
   std::string file = Utf8FromWide(temp);
   CZOLTApp &app = *this;
   vm->SaveScreenshot(
      file, cui::VM::SCREENSHOT_BMP,
      [file](bool succeeded, cui::Error error) { Guard([&]() { OnScreenshotDone(file, succeeded, error); }); },
      [&app, file]() { Guard([&]() { OnScreenshotSaved(app, file); }); });
}

void CZOLTApp::CaptureMovie(cui::VM *vm, int action)
{
   if (vm == nullptr) {
      return;
   }
   cui::Movie *movie = vm->GetMovie();
   if (action == 1) {
      if (movie) {
         movie->StopCapture(sigc::mem_fun(*this, &CZOLTApp::OnCaptureMovieDone));
      }
      return;
   }
   if (!vm->GetCanStartMovieCapture() || !movie) {
      return;
   }
   CZOLTCaptureFileDlg dialog(IDS_MOVIE_FILTER, true);
   dialog.SetInitialFile(vm->GetDefaultMovieFilename(), vm->GetSaveMovieDir());
   dialog.SetQuality(vm->GetMovieQuality());
   // The machine may close while the dialog is up; it is deleted a poll step after `removed`.
   auto gone = std::make_shared<bool>(false);
   sigc::connection watch = vm->removed.connect([gone]() { *gone = true; });
   sigc::slot<void> restore;
   BeginModal(restore);
   bool chosen = dialog.DoModal(GetFrameWindow());
   Guard(restore);
   if (*gone) {
      return;
   }
   watch.disconnect();
   if (!chosen) {
      return;
   }
   vm->SetMovieQuality(dialog.GetQuality());
   movie = vm->GetMovie();
   if (movie) {
      movie->StartCapture(dialog.GetFile(), dialog.GetQuality(), sigc::mem_fun(*this, &CZOLTApp::OnCaptureMovieDone));
   }
}
