#include "atl/FileDialog.h"

#include "tremorybase/Log.h"

#include <type_traits>

namespace atl {

namespace {

// Spelled out with their calling convention and checked against the system's declarations: a
// pointer of another convention would corrupt the stack of the 32-bit program.
typedef BOOL(WINAPI *FileDialogFn)(LPOPENFILENAMEW);
typedef DWORD(WINAPI *ExtendedErrorFn)();
static_assert(std::is_same<FileDialogFn, decltype(&::GetOpenFileNameW)>::value, "GetOpenFileNameW");
static_assert(std::is_same<FileDialogFn, decltype(&::GetSaveFileNameW)>::value, "GetSaveFileNameW");
static_assert(std::is_same<ExtendedErrorFn, decltype(&::CommDlgExtendedError)>::value, "CommDlgExtendedError");

struct CommonDialogs {
   FileDialogFn open = nullptr;
   FileDialogFn save = nullptr;
   ExtendedErrorFn error = nullptr;
};

template <typename Fn>
Fn Find(HMODULE module, const char *name)
{
   // Through a plain function type: FARPROC converts to it without a cast-function-type warning.
   return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

const CommonDialogs &Loaded()
{
   static const CommonDialogs dialogs = []() {
      CommonDialogs found;
      HMODULE module = LoadLibraryW(L"comdlg32.dll");
      found.open = Find<FileDialogFn>(module, "GetOpenFileNameW");
      found.save = Find<FileDialogFn>(module, "GetSaveFileNameW");
      found.error = Find<ExtendedErrorFn>(module, "CommDlgExtendedError");
      if (!found.open || !found.save || !found.error) {
         Warning("atl::FileDialog: comdlg32.dll could not be loaded (error %lu)\n",
                 static_cast<unsigned long>(GetLastError()));
      }
      return found;
   }();
   return dialogs;
}

bool failedToLoad = false;

BOOL Run(FileDialogFn fn, OPENFILENAMEW *ofn)
{
   failedToLoad = !fn;
   return fn ? fn(ofn) : FALSE;
}

} // namespace

BOOL GetOpenFileName(OPENFILENAMEW *ofn)
{
   return Run(Loaded().open, ofn);
}

BOOL GetSaveFileName(OPENFILENAMEW *ofn)
{
   return Run(Loaded().save, ofn);
}

DWORD FileDialogError()
{
   if (failedToLoad || !Loaded().error) {
      return CDERR_INITIALIZATION;
   }
   return Loaded().error();
}

} // namespace atl
