// Setup runs elevated from folders anyone can write to: it must never load a
// DLL that was dropped beside it.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "base/text_helpers.h"
#include "res/resource_ids.h"
#include "support/pe_imports.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_setting.h"

namespace {

// DLLs that Windows always takes from System32 (the KnownDLLs list).
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",   "difxapi.dll", "gdi32.dll",
    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",    "kernel32.dll", "msctf.dll",   "msvcrt.dll",  "normaliz.dll",
    "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",    "rpcrt4.dll",  "sechost.dll", "setupapi.dll",
    "shcore.dll",   "shell32.dll",  "shlwapi.dll",  "user32.dll",   "wldap32.dll", "ws2_32.dll",
};

// System DLLs that Setup uses or that the system loads for it, none of them
// KnownDLLs: each is planted beside Setup.exe. (version.dll is left out: Wine's
// own gdi32 imports it and Wine resolves that from the program's folder while
// the process starts, before any of Setup's code runs; Windows takes the
// imports of a KnownDLL from System32.)
const wchar_t* const kPlantedNames[] = {
    L"comctl32.dll", L"uxtheme.dll", L"dwmapi.dll",    L"winhttp.dll", L"bcrypt.dll",  L"msimg32.dll",
    L"winmm.dll",    L"dbghelp.dll", L"cryptbase.dll", L"propsys.dll", L"crypt32.dll", L"jsproxy.dll",
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(tolower(c)); });
  return text;
}

TEST(DllSafety, ImportTableNamesOnlyKnownDlls) {
  const auto imports = ReadPeImports(ReadFileBytes(BuiltSetupExe()));
  ASSERT_TRUE(imports.has_value());
  ASSERT_FALSE(imports->imported.empty());
  bool kernel32 = false;
  for (const std::string& name : imports->imported) {
    EXPECT_TRUE(kKnownDlls.count(Lower(name))) << name << " is not a KnownDLL";
    kernel32 = kernel32 || Lower(name) == "kernel32.dll";
  }
  EXPECT_TRUE(kernel32);
  EXPECT_TRUE(imports->delayLoaded.empty());
}

// Tells Wine to prefer a DLL file found on the search path over its own
// built-in DLLs for the planted names, for one program name. Without this Wine
// would ignore the planted files and the test could not fail.
class PreferPlantedDlls {
 public:
  explicit PreferPlantedDlls(const std::wstring& programName) : key_(L"Software\\Wine\\AppDefaults\\" + programName) {
    HKEY overrides = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                          &overrides, nullptr) != ERROR_SUCCESS) {
      return;
    }
    UniqueRegKey closer(overrides);
    const wchar_t order[] = L"native,builtin";
    for (const wchar_t* name : kPlantedNames) {
      std::wstring base = name;
      base.resize(base.size() - 4);  // without ".dll"
      ::RegSetValueExW(overrides, base.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
    }
  }
  ~PreferPlantedDlls() { ::RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

 private:
  std::wstring key_;
};

int RunAndWait(const std::wstring& program, const std::wstring& arguments) {
  SetupProcess process;
  if (!process.Start(program, arguments, nullptr)) return -1;
  return static_cast<int>(process.WaitForExit(20000).value_or(-2));
}

TEST(DllSafety, DllsPlantedBesideSetupAreNeverLoaded) {
  TempFolder release;
  const std::wstring markers = release.File(L"markers");
  ASSERT_TRUE(::CreateDirectoryW(markers.c_str(), nullptr));
  const std::wstring bin = TestProgramFolder();
  ASSERT_TRUE(::CopyFileW(BuiltSetupExe().c_str(), release.File(L"Setup.exe").c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW((bin + L"\\naive_loader.exe").c_str(), release.File(L"naive_loader.exe").c_str(), FALSE));
  for (const wchar_t* name : kPlantedNames) {
    ASSERT_TRUE(::CopyFileW((bin + L"\\marker.dll").c_str(), release.File(name).c_str(), FALSE));
  }
  ScopedTestSetting markerDir(L"ORLINTH_MARKER_DIR", markers);
  PreferPlantedDlls forLoader(L"naive_loader.exe");
  PreferPlantedDlls forSetup(L"Setup.exe");

  // Control: a program that loads by plain name does pick up the planted copy.
  ASSERT_EQ(RunAndWait(release.File(L"naive_loader.exe"), L"uxtheme.dll"), 0);
  ASSERT_TRUE(PathExists(markers + L"\\uxtheme.dll.loaded"));
  ASSERT_TRUE(::DeleteFileW((markers + L"\\uxtheme.dll.loaded").c_str()));

  SetupProcess setup;
  std::wstring error;
  const std::wstring log = release.File(L"run.log");
  ASSERT_TRUE(setup.StartToMainDialog(release.File(L"Setup.exe"), L"/log:" + log, &error)) << error.c_str();
  // The start-up check for a newer Setup loads the HTTP library and its own.
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(log).find(WideToUtf8(L"새 Setup ")) != std::string::npos; }, 30000));
  // The install request and its question, to touch whatever they load.
  setup.Click(IDC_INSTALL);
  const auto question = setup.WaitForMessageBox();
  ASSERT_TRUE(question.has_value());
  setup.Answer(*question, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question->window); }));
  EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));

  for (const wchar_t* name : kPlantedNames) {
    EXPECT_FALSE(PathExists(markers + L"\\" + name + L".loaded")) << "loaded the planted " << name;
  }
}

}  // namespace
