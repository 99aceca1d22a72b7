// The one set of text conversions: UTF-8 inside, UTF-16 at Windows and COM.
#include "tremorybase/Text.h"

#include "TestFiles.h"
#include "tremorybase/File.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Names in the scripts users write their folders in, as UTF-8 bytes.
const char *const kNames[] = {
   "M\xC3\xA1quinas virtuales",                                // Spanish
   "Pr\xC3\xBC" "fung \xC3\x9F\xC3\xA4",                       // German
   "\xCE\x95\xCE\xB9\xCE\xBA\xCE\xBF\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAD\xCF\x82",  // Greek
   "\xD0\x92\xD0\xB8\xD1\x80\xD1\x82\xD1\x83\xD0\xB0\xD0\xBB\xD1\x8C\xD0\xBD\xD1\x8B\xD0\xB5",  // Cyrillic
   "\xE4\xBB\xAE\xE6\x83\xB3\xE3\x83\x9E\xE3\x82\xB7\xE3\x83\xB3",  // CJK
   "\xF0\x9F\x96\xA5 desk",                                     // outside the basic plane
};

}  // namespace

TEST(Text, NamesInEveryScriptRoundTripThroughWideAndBstr)
{
   for (const char *name : kNames) {
      std::wstring wide = WideFromUtf8(name);
      EXPECT_FALSE(wide.empty()) << name;
      EXPECT_EQ(Utf8FromWide(wide), name);
      EXPECT_EQ(Utf8FromWide(wide.c_str()), name);
      BSTR bstr = BstrFromUtf8(name);
      ASSERT_NE(bstr, nullptr);
      EXPECT_EQ(SysStringLen(bstr), wide.size());
      EXPECT_EQ(Utf8FromBstr(bstr), name);
      SysFreeString(bstr);
   }
   // The Greek name is 9 characters, each two bytes in UTF-8 and one unit in UTF-16.
   EXPECT_EQ(WideFromUtf8(kNames[2]).size(), 9u);
   EXPECT_EQ(WideFromUtf8(kNames[5]).size(), 7u) << "a character outside the basic plane is a surrogate pair";
   EXPECT_EQ(WideFromUtf8(kNames[0])[1], L'\x00E1');
}

TEST(Text, LongPathsEmptyNullAndEmbeddedZerosConvertWhole)
{
   std::string path = "C:\\users\\";
   while (path.size() < 257) {
      path += "\xC3\xA9";  // é: two bytes, one character
   }
   std::wstring wide = WideFromUtf8(path);
   EXPECT_EQ(Utf8FromWide(wide), path);
   EXPECT_LT(wide.size(), path.size());

   std::string exact(259, 'a');
   EXPECT_EQ(WideFromUtf8(exact).size(), 259u);
   EXPECT_EQ(Utf8FromWide(WideFromUtf8(exact)), exact);

   EXPECT_EQ(WideFromUtf8(""), L"");
   EXPECT_EQ(Utf8FromWide(std::wstring()), "");
   EXPECT_EQ(Utf8FromWide(static_cast<const wchar_t *>(nullptr)), "");
   EXPECT_EQ(Utf8FromBstr(nullptr), "");
   BSTR empty = BstrFromUtf8("");
   ASSERT_NE(empty, nullptr);
   EXPECT_EQ(SysStringLen(empty), 0u);
   SysFreeString(empty);

   const std::string withZero("a\0b", 3);
   BSTR bstr = BstrFromUtf8(withZero);
   EXPECT_EQ(SysStringLen(bstr), 3u);
   EXPECT_EQ(Utf8FromBstr(bstr), withZero);
   SysFreeString(bstr);
}

TEST(Text, BadUtf8BecomesReplacementCharactersAndNothingIsLost)
{
   // A lone continuation byte, a truncated sequence and a byte that never starts one.
   std::wstring wide = WideFromUtf8("a\x80" "b\xC3" "c\xFF" "d");
   EXPECT_EQ(wide, std::wstring(L"a\xFFFD" L"b\xFFFD" L"c\xFFFD" L"d"));
   EXPECT_EQ(Utf8FromWide(wide), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c\xEF\xBF\xBD" "d");
   // A string view ends where its length says, not at a zero.
   std::string_view part("abcdef", 3);
   EXPECT_EQ(WideFromUtf8(part), L"abc");
}

TEST(Text, ConversionEndsWhereTheTextEndsEvenInsideACharacter)
{
   // The bytes after each view would complete its last character: they must not be read.
   const char e[] = "ab\xC3\xA9";
   EXPECT_EQ(WideFromUtf8(std::string_view(e, 3)), std::wstring(L"ab\xFFFD"));
   const char desk[] = "\xF0\x9F\x96\xA5";
   EXPECT_EQ(WideFromUtf8(std::string_view(desk, 3)), std::wstring(L"\xFFFD"));
   EXPECT_EQ(WideFromUtf8(std::string_view(desk, 4)).size(), 2u);

   const wchar_t pair[] = L"a\xD83D\xDDA5";
   EXPECT_EQ(Utf8FromWide(std::wstring_view(pair, 3)), "a\xF0\x9F\x96\xA5");
   EXPECT_EQ(Utf8FromWide(std::wstring_view(pair, 2)), "a\xEF\xBF\xBD") << "half a surrogate pair";
   EXPECT_EQ(Utf8FromWide(std::wstring_view(L"\xDDA5x", 2)), "\xEF\xBF\xBDx") << "a lone low surrogate";
}

TEST(Text, AFileBesideAPathOf259CharactersIsMadeThroughTheLongForm)
{
   TempDir dir;
   std::wstring base = WideFromUtf8(dir.Path());
   EXPECT_EQ(WidePathFromUtf8(dir.Path()), base) << "a short path is only converted";

   // Folders named in Spanish, Cyrillic, Greek and CJK until the file "a.vmx" inside ends at
   // exactly 259 characters; its folder alone is longer than a folder may be without the prefix.
   const char *const parts[] = {kNames[0], kNames[3], kNames[2], kNames[4]};
   std::string folder = dir.Path();
   for (size_t i = 0; WideFromUtf8(folder).size() + 1 + 20 + 6 < 259; ++i) {
      folder += std::string("\\") + parts[i % 4];
   }
   size_t fill = 259 - WideFromUtf8(folder).size() - 1 - 6;
   folder += "\\" + std::string(fill, 'x');
   std::string path = folder + "\\a.vmx";
   ASSERT_EQ(WideFromUtf8(path).size(), 259u);

   std::wstring wide = WidePathFromUtf8(path);
   EXPECT_EQ(wide.compare(0, 4, L"\\\\?\\"), 0);
   EXPECT_EQ(wide.substr(4), WideFromUtf8(path));

   ASSERT_TRUE(File_MakeFolders(folder)) << GetLastError();
   std::string error;
   // Written as "<path>.tmp" (263 characters) and renamed over the file.
   const std::string bytes = "displayName = \"" + std::string(kNames[4]) + "\"\n";
   ASSERT_TRUE(File_Replace(path, bytes, error)) << error;
   EXPECT_TRUE(File_Exists(path));
   EXPECT_FALSE(File_Exists(path + ".tmp"));
   std::string read;
   ASSERT_TRUE(File_Read(path, read, error)) << error;
   EXPECT_EQ(read, bytes);

   HANDLE disk = CreateFileW(WidePathFromUtf8(folder + "\\a-disk1.img").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
   ASSERT_NE(disk, INVALID_HANDLE_VALUE) << GetLastError();
   CloseHandle(disk);

   // A prefixed path takes backslashes only: forward slashes are turned as in the plain form.
   std::string slashed = path;
   std::replace(slashed.begin(), slashed.end(), '\\', '/');
   ASSERT_TRUE(File_Read(slashed, read, error)) << error;
   EXPECT_EQ(read, bytes);
}
