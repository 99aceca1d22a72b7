#include "cui/WizardUtil.h"

#include <cstring>

namespace wui {
namespace util {

namespace {

bool IsBlank(char c)
{
   return c == ' ' || c == '\t';
}

bool HasBadChar(int osType, const std::string &text)
{
   for (size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c < 32) {
         return true;
      }
      if (osType == 2) {
         continue;   // a Linux host takes every other byte
      }
      if (std::strchr("<>*?\"|", c)) {
         return true;
      }
      bool driveColon = i == 1 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
      if (c == ':' && !driveColon) {
         return true;
      }
   }
   return false;
}

// UTF-8 text in characters (what the host's limit counts), not bytes.
size_t Characters(const std::string &text)
{
   size_t count = 0;
   for (char c : text) {
      count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
   }
   return count;
}

// Marks the windows EnableAllControls disabled, so enabling gives back exactly those and leaves
// the ones their page had disabled itself.
const wchar_t kDisabledMark[] = L"wui.util.disabledAll";

BOOL CALLBACK EnableChild(HWND window, LPARAM enable)
{
   if (enable) {
      if (RemovePropW(window, kDisabledMark)) {
         EnableWindow(window, TRUE);
      }
   } else if (IsWindowEnabled(window)) {
      SetPropW(window, kDisabledMark, reinterpret_cast<HANDLE>(1));
      EnableWindow(window, FALSE);
   }
   return TRUE;
}

}  // namespace

PathTest ValidatePath(int osType, int tests, const std::string &text, int reserve)
{
   if ((tests & PATH_EMPTY) && text.empty()) {
      return PATH_EMPTY;
   }
   if ((tests & PATH_BAD_CHARS) && HasBadChar(osType, text)) {
      return PATH_BAD_CHARS;
   }
   if ((tests & PATH_TOO_LONG) && Characters(text) + static_cast<size_t>(reserve > 0 ? reserve : 0) > kMaxPath) {
      return PATH_TOO_LONG;
   }
   return PATH_OK;
}

std::string TrimLeft(const std::string &text)
{
   size_t start = 0;
   while (start < text.size() && IsBlank(text[start])) {
      ++start;
   }
   return text.substr(start);
}

std::string TrimFilePath(const std::string &text, bool windows)
{
   std::string path = TrimLeft(text);
   while (!path.empty() && IsBlank(path.back())) {
      path.pop_back();
   }
   if (windows) {
      for (char &c : path) {
         c = c == '/' ? '\\' : c;
      }
   }
   return path;
}

void EnableAllControls(HWND sheet, bool enable)
{
   if (sheet) {
      EnumChildWindows(sheet, EnableChild, enable ? 1 : 0);
   }
}

}  // namespace util
}  // namespace wui
