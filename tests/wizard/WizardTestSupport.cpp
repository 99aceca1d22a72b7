#include "WizardTestSupport.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "atl/ClassTable.h"
#include "vmdb/Classes.h"

namespace wiztest {

namespace {

class ComEnvironment : public ::testing::Environment {
public:
   void SetUp() override
   {
      CoInitialize(nullptr);
      INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
      InitCommonControlsEx(&controls);
      vmdb::RegisterClasses();
      tremhwcfg::RegisterClasses();
   }
   void TearDown() override
   {
      atl::ClassTable::RevokeAllFromCom();
      CoUninitialize();
   }
};

::testing::Environment *const gComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

void RemoveTree(const std::wstring &path)
{
   WIN32_FIND_DATAW found;
   HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
   if (search != INVALID_HANDLE_VALUE) {
      do {
         std::wstring name = found.cFileName;
         if (name == L"." || name == L"..") {
            continue;
         }
         std::wstring child = path + L"\\" + name;
         if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(child);
         } else {
            DeleteFileW(child.c_str());
         }
      } while (FindNextFileW(search, &found));
      FindClose(search);
   }
   RemoveDirectoryW(path.c_str());
}

}  // namespace

CommandElement::CommandElement()
{
   IVmdbDatabasePtr db;
   EXPECT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   db->Connect(L"wizard-tests", VMDB_CONNECT_NAMED);
   ctx = db->NewContext();
   ctx->ChangePath(L"/host/");
   ctx->ChangePath(ctx->AppendElement(L"util/vm/cmd/##/"));
   ctx->OpenBatch();
   ctx->WriteValue(L"op", _variant_t(L"createVMCfg"));
   ctx->ChangePath(L"op/createVMCfg");
   opPath = static_cast<const wchar_t *>(ctx->CurrentPath());
}

CommandElement::~CommandElement()
{
   ctx->CloseBatch(-1);
}

std::wstring CommandElement::Input(const std::wstring &name) const
{
   std::wstring base = opPath.back() == L'/' ? opPath : opPath + L"/";
   _variant_t value = ctx->ReadValue((base + L"in/" + name).c_str());
   if (value.vt == VT_BOOL) {
      return value.boolVal != VARIANT_FALSE ? L"1" : L"0";
   }
   _bstr_t text(value);
   return text.length() ? static_cast<const wchar_t *>(text) : L"";
}

ITremNwzPtr CreateWizard(const CommandElement &command)
{
   CLSID clsid;
   EXPECT_EQ(S_OK, atl::ClassTable::ClassIdFromName(L"tremhwcfg.Nwz.9", &clsid));
   ITremNwzPtr wizard;
   EXPECT_EQ(S_OK, wizard.CreateInstance(clsid, nullptr, 0x17));
   if (wizard) {
      wizard->SetVmdbContext(command.ctx);
      wizard->SetOperationPath(command.opPath.c_str());
   }
   return wizard;
}

ScratchFolder::ScratchFolder()
{
   wchar_t temp[MAX_PATH];
   GetTempPathW(MAX_PATH, temp);
   static int counter = 0;
   path_ = std::wstring(temp) + L"nwz-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
   while (!path_.empty() && path_.back() == L'\\') {
      path_.pop_back();
   }
   CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
   RemoveTree(path_);
}

void ScratchFolder::WriteFile(const std::wstring &name) const
{
   HANDLE file = CreateFileW(Sub(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
   DWORD written = 0;
   ::WriteFile(file, "x", 1, &written, nullptr);
   CloseHandle(file);
}

bool Exists(const std::wstring &path)
{
   return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Text(UINT id)
{
   const wchar_t *text = nullptr;
   int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
   return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : L"";
}

std::wstring Text(UINT id, const std::wstring &insert1, const std::wstring &insert2, const std::wstring &insert3)
{
   std::wstring text = Text(id);
   const std::wstring inserts[] = {insert1, insert2, insert3};
   for (int n = 0; n < 3; ++n) {
      std::wstring mark = L"%" + std::to_wstring(n + 1);
      for (size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + inserts[n].size())) {
         text.replace(at, mark.size(), inserts[n]);
      }
   }
   return text;
}

std::wstring DocumentsFolder()
{
   wchar_t path[MAX_PATH] = L"";
   SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
   return path;
}

}  // namespace wiztest
