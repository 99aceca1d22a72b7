#include "zoltResources.h"

#include "resource.h"

#include "cui/Util.h"
#include "tremorybase/Text.h"

#include <algorithm>
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
   // With no buffer LoadStringW hands out the resource's own text, which holds its length: no
   // limit, and no code page on the way.
   const wchar_t *text = nullptr;
   int length = LoadStringW(GetResourceInstance(), id, reinterpret_cast<wchar_t *>(&text), 0);
   return length > 0 && text ? Utf8FromWide(std::wstring_view(text, static_cast<size_t>(length))) : std::string();
}

std::wstring LoadDialogFilter(unsigned int id)
{
   std::wstring filter = WideFromUtf8(LoadResString(id));
   std::replace(filter.begin(), filter.end(), L'|', L'\0');
   return filter;
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
