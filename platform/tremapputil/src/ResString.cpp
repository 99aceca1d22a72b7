#include "tremapputil/ResString.h"

#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Text.h"

#include <vector>

namespace tremapputil {

namespace {

// FormatMessage allows inserts %1 to %99; every slot is filled so a string that names more
// inserts than it was given never reads past the array.
const size_t kMaxInserts = 99;
const wchar_t kEmpty[] = L"";

}  // namespace

ResString::Insert::Insert(const char *text) : isText_(true), text_(WideFromUtf8(text ? text : "")) {}
ResString::Insert::Insert(const std::string &text) : isText_(true), text_(WideFromUtf8(text)) {}
ResString::Insert::Insert(const wchar_t *text) : isText_(true), text_(text ? text : L"") {}
// Negative numbers keep their low 32 bits, which is what "%n!d!" reads.
ResString::Insert::Insert(int number) : isText_(false), number_(static_cast<DWORD_PTR>(static_cast<LONG_PTR>(number))) {}
ResString::Insert::Insert(long number) : isText_(false), number_(static_cast<DWORD_PTR>(static_cast<LONG_PTR>(number))) {}
ResString::Insert::Insert(unsigned number) : isText_(false), number_(number) {}
ResString::Insert::Insert(unsigned long number) : isText_(false), number_(number) {}

ResString::ResString(UINT id, HMODULE module) : id_(id)
{
   if (!module) {
      module = TremAppUtil_GetResourceModule();
   }
   if (!module) {
      module = GetModuleHandleW(nullptr);
   }
   // A string-table entry holds at most 65535 characters; most are short.
   std::vector<wchar_t> buffer(1024);
   for (;;) {
      int length = LoadStringW(module, id, buffer.data(), static_cast<int>(buffer.size()));
      if (length <= 0) {
         return;
      }
      if (static_cast<size_t>(length) < buffer.size() - 1 || buffer.size() > 65536) {
         template_.assign(buffer.data(), static_cast<size_t>(length));
         loaded_ = true;
         return;
      }
      buffer.resize(buffer.size() * 8);
   }
}

std::string ResString::Text() const
{
   return Utf8FromWide(template_);
}

std::string ResString::Format(std::initializer_list<Insert> inserts) const
{
   if (!loaded_) {
      return std::string();
   }
   std::vector<DWORD_PTR> args(kMaxInserts, reinterpret_cast<DWORD_PTR>(kEmpty));
   size_t i = 0;
   for (const Insert &insert : inserts) {
      if (i == kMaxInserts) {
         break;
      }
      args[i++] = insert.isText_ ? reinterpret_cast<DWORD_PTR>(insert.text_.c_str()) : insert.number_;
   }
   wchar_t *formatted = nullptr;
   DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                 template_.c_str(), 0, 0, reinterpret_cast<LPWSTR>(&formatted), 0,
                                 reinterpret_cast<va_list *>(args.data()));
   if (length == 0 || !formatted) {
      // A template FormatMessage rejects is shown as written rather than not at all.
      return Text();
   }
   std::string out = Utf8FromWide(std::wstring_view(formatted, length));
   LocalFree(formatted);
   return out;
}

}  // namespace tremapputil
