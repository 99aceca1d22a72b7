#include <gtest/gtest.h>

#include "atl/Atl.h"

#include <comdef.h>

struct ITestThing : public IUnknown {
   virtual LONG STDMETHODCALLTYPE Value() = 0;
};
__CRT_UUID_DECL(ITestThing, 0xaf26f86f, 0x5751, 0x40b8, 0x85, 0xcb, 0x38, 0x2e, 0x44, 0xdc, 0x84, 0xf6)

struct ITestMissing : public IUnknown {};
__CRT_UUID_DECL(ITestMissing, 0x56876992, 0x54ed, 0x42e8, 0x81, 0xeb, 0x84, 0xc2, 0x3e, 0x7d, 0x1e, 0x2d)

namespace {

const CLSID CLSID_TestThing = {0xdb8328b0, 0xaf11, 0x4088, {0x99, 0x60, 0x8e, 0x49, 0xe6, 0x68, 0x50, 0x03}};

int g_liveThings = 0;

class CTestThing : public ComObject<ITestThing> {
public:
   CTestThing() { ++g_liveThings; }
   ~CTestThing() override { --g_liveThings; }
   LONG STDMETHODCALLTYPE Value() override { return 5; }
};

ULONG RefCount(IUnknown *p)
{
   p->AddRef();
   return p->Release();
}

TEST(AtlCom, PointersKeepExactlyTheReferencesTheyOwn)
{
   {
      auto *thing = new CTestThing;   // one reference, ours
      CComPtr<ITestThing> a(thing);
      EXPECT_EQ(2u, RefCount(thing));
      {
         CComPtr<ITestThing> b = a;
         CComPtr<ITestThing> c;
         c = b;
         EXPECT_EQ(4u, RefCount(thing));
         CComPtr<ITestThing> moved(std::move(c));
         EXPECT_EQ(nullptr, c.p);
         EXPECT_EQ(4u, RefCount(thing));
      }
      EXPECT_EQ(2u, RefCount(thing));

      ITestThing *copy = nullptr;
      ASSERT_EQ(S_OK, a.CopyTo(&copy));
      EXPECT_EQ(3u, RefCount(thing));
      CComPtr<ITestThing> attached;
      attached.Attach(copy);   // takes over the reference CopyTo made
      EXPECT_EQ(3u, RefCount(thing));
      ITestThing *detached = attached.Detach();
      EXPECT_EQ(nullptr, attached.p);
      detached->Release();
      EXPECT_EQ(2u, RefCount(thing));

      // An out parameter through & releases what was held.
      CComPtr<ITestThing> out(thing);
      EXPECT_EQ(3u, RefCount(thing));
      ITestThing **slot = &out;
      EXPECT_EQ(nullptr, *slot);
      EXPECT_EQ(2u, RefCount(thing));

      CComQIPtr<IUnknown> unknown(a.p);
      CComQIPtr<ITestThing> again(unknown.p);
      ASSERT_TRUE(again);
      EXPECT_EQ(5, again->Value());
      CComQIPtr<ITestMissing> missing(unknown.p);
      EXPECT_FALSE(missing);
      EXPECT_TRUE(a.IsEqualObject(unknown));
      EXPECT_EQ(4u, RefCount(thing));

      thing->Release();
   }
   EXPECT_EQ(0, g_liveThings);
}

TEST(AtlCom, CreationByNameGoesThroughTheClassTable)
{
   ClassTable::Register(L"AtlTest.Thing.1", CLSID_TestThing, &CreateComObject<CTestThing>);
   {
      CComPtr<ITestThing> byName;
      ASSERT_EQ(S_OK, byName.CoCreateInstance(L"AtlTest.Thing.1"));
      EXPECT_EQ(5, byName->Value());
      CComPtr<ITestThing> byId;
      ASSERT_EQ(S_OK, byId.CoCreateInstance(CLSID_TestThing));
      EXPECT_FALSE(byId.IsEqualObject(byName));
      EXPECT_EQ(2, g_liveThings);

      CComPtr<ITestMissing> wrong;
      EXPECT_EQ(E_NOINTERFACE, wrong.CoCreateInstance(L"AtlTest.Thing.1"));
      EXPECT_EQ(2, g_liveThings);
   }
   EXPECT_EQ(0, g_liveThings);
   CComPtr<ITestThing> unknown;
   EXPECT_EQ(REGDB_E_CLASSNOTREG, unknown.CoCreateInstance(L"AtlTest.Unknown.1"));
   ClassTable::Unregister(L"AtlTest.Thing.1");
   EXPECT_EQ(REGDB_E_CLASSNOTREG, unknown.CoCreateInstance(L"AtlTest.Thing.1"));
}

TEST(AtlCom, StringsAndVariantsOwnTheirContents)
{
   CComBSTR text("narrow");
   EXPECT_EQ(6u, text.Length());
   EXPECT_TRUE(text == L"narrow");
   text.Append(L"\0tail", 5);   // BSTRs may hold NULs
   EXPECT_EQ(11u, text.Length());
   CComBSTR copy = text;
   EXPECT_NE(copy.m_str, text.m_str);
   EXPECT_TRUE(copy == text);
   copy += L"!";
   EXPECT_FALSE(copy == text);
   EXPECT_TRUE(CComBSTR() == L"");   // NULL is the empty string

   CComVariant v(text.m_str);
   EXPECT_EQ(VT_BSTR, v.vt);
   EXPECT_NE(text.m_str, v.bstrVal);
   text.Empty();
   EXPECT_STREQ(L"narrow", v.bstrVal);

   auto *thing = new CTestThing;
   {
      CComVariant held(static_cast<IUnknown *>(thing));
      CComVariant second = held;
      EXPECT_EQ(3u, RefCount(thing));
      VARIANT raw;
      VariantInit(&raw);
      ASSERT_EQ(S_OK, second.Detach(&raw));   // moves the reference, no new one
      EXPECT_EQ(VT_EMPTY, second.vt);
      EXPECT_EQ(3u, RefCount(thing));
      VariantClear(&raw);
      EXPECT_EQ(2u, RefCount(thing));
      held = 5;
      EXPECT_EQ(1u, RefCount(thing));
      EXPECT_TRUE(held == CComVariant(5));
      EXPECT_FALSE(held == CComVariant(6));
   }
   thing->Release();
   EXPECT_EQ(0, g_liveThings);
}

} // namespace

TEST(AtlCom, BstrTextConvertsUtf8BothWays)
{
   // "Máquinas" and a Greek word: outside any one code page together.
   const char utf8[] = "M\xC3\xA1quinas \xCE\x95\xCE\xB9\xCE\xBA\xCF\x8C\xCE\xBD\xCE\xB1";
   _bstr_t text(utf8);
   ASSERT_EQ(text.length(), 15u);
   EXPECT_EQ(static_cast<const wchar_t *>(text)[1], L'\x00E1');
   EXPECT_EQ(static_cast<const wchar_t *>(text)[9], L'\x0395');
   EXPECT_STREQ(static_cast<const char *>(text), utf8);
   _bstr_t wide(L"\x0418\x043C\x044F");   // Cyrillic
   EXPECT_STREQ(static_cast<const char *>(wide), "\xD0\x98\xD0\xBC\xD1\x8F");

   // CComBSTR's narrow forms are UTF-8 too.
   CComBSTR bstr(utf8);
   EXPECT_STREQ(static_cast<const wchar_t *>(text), bstr.m_str);
   bstr = "\xE4\xBB\xAE";   // CJK
   ASSERT_EQ(1u, bstr.Length());
   EXPECT_EQ(L'\x4EEE', bstr.m_str[0]);
   bstr.Append(" \xD0\x98");
   EXPECT_STREQ(L"\x4EEE \x0418", bstr.m_str);
}
