#include "zoltResources.h"

#include "resource.h"

#include "cui/Util.h"

#include <cwchar>

namespace {

const char kResLibrary[] = "zoltRes.dll";
const unsigned int kResLibIcon = 200;

HINSTANCE gResourceInstance = nullptr;

}  // namespace

void SetResourceInstance(HINSTANCE instance)
{
   InterlockedExchangePointer(reinterpret_cast<void **>(&gResourceInstance), instance);
}

HINSTANCE GetResourceInstance()
{
   return gResourceInstance ? gResourceInstance : GetModuleHandleA(nullptr);
}

std::string LoadResString(unsigned int id)
{
   // A string-table entry holds at most 4095 characters.
   char text[4096];
   int length = LoadStringA(GetResourceInstance(), id, text, sizeof text);
   return length > 0 ? std::string(text, length) : std::string();
}

std::string LoadAppTitle()
{
   return LoadResString(IDS_APP_TITLE);
}

HICON LoadIconImage(HINSTANCE module, unsigned int id, bool large)
{
   int size = large ? 0 : 16;
   return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size,
                                        large ? LR_DEFAULTSIZE : 0));
}

HICON LoadResLibImage()
{
   HMODULE library = LoadLibraryA(kResLibrary);
   if (!library) {
      return nullptr;
   }
   HICON icon = LoadIconImage(library, kResLibIcon, true);
   FreeLibrary(library);
   return icon;
}

bool LoadEditionImage(HICON &large, HICON &small)
{
   large = nullptr;
   small = nullptr;
   if (HMODULE library = LoadLibraryA(kResLibrary)) {
      large = LoadIconImage(library, kResLibIcon, true);
      small = LoadIconImage(library, kResLibIcon, false);
      FreeLibrary(library);
   }
   unsigned int own = wui::util::HasZephroExtension() ? IDI_ZOLT_ZEPHRO : IDI_ZOLT;
   if (!large) {
      large = LoadIconImage(GetResourceInstance(), own, true);
   }
   if (!small) {
      small = LoadIconImage(GetResourceInstance(), own, false);
   }
   return large && small;
}

void DestroyImages(HICON &large, HICON &small)
{
   if (large) {
      DestroyIcon(large);
   }
   if (small) {
      DestroyIcon(small);
   }
   large = nullptr;
   small = nullptr;
}

int CompareTextNoCase(const wchar_t *a, const wchar_t *b)
{
   if (!a || !b) {
      return (a ? 1 : 0) - (b ? 1 : 0);
   }
   return _wcsicmp(a, b);
}
