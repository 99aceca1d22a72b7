// Resource strings by id, with the inserts of FormatMessage ("%1!s!", "%2!d!", "%1!x!"). Texts
// are returned as UTF-8.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace tremapputil {

class ResString {
public:
   // One insert: a text (for "%n!s!") or a number (for "%n!d!", "%n!u!", "%n!x!").
   class Insert {
   public:
      Insert(const char *text);
      Insert(const std::string &text);
      Insert(const wchar_t *text);
      Insert(int number);
      Insert(long number);
      Insert(unsigned number);
      Insert(unsigned long number);

   private:
      friend class ResString;
      bool isText_;
      std::wstring text_;
      DWORD_PTR number_ = 0;
   };

   // From `module`; a null module means the resource module (TremAppUtil_GetResourceModule),
   // and, since this library supplies none, the program's own module.
   explicit ResString(UINT id, HMODULE module = nullptr);

   // False when the module has no (or an empty) string `id`.
   bool Loaded() const { return loaded_; }
   // The string as written, inserts unexpanded.
   std::string Text() const;
   // The string with its inserts filled in, in order. A text insert the string names but the
   // list lacks reads as empty (never past the list). A missing string gives the empty text.
   std::string Format(std::initializer_list<Insert> inserts = {}) const;

private:
   UINT id_;
   bool loaded_ = false;
   std::wstring template_;
};

}  // namespace tremapputil
