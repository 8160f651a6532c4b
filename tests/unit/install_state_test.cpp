// Detection against the real registry and file system of the test prefix.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ops/install_state.h"
#include "support/product_state.h"
#include "support/temp_folder.h"

namespace {

using Codes = std::vector<std::wstring>;

class InstallStateTest : public testing::Test {
 protected:
  CleanProductState clean_;
};

TEST_F(InstallStateTest, NothingInstalledIgnoresALeftOverLanguageList) {
  ASSERT_TRUE(SetInstalledLanguages(L"ja,ar"));
  const InstallState state = DetectInstallState();
  EXPECT_FALSE(state.installed);
  EXPECT_FALSE(state.targetInstalled);
  EXPECT_TRUE(state.otherLanguages.empty());
  EXPECT_EQ(SituationOf(state), InstallSituation::NotInstalled);
}

TEST_F(InstallStateTest, ProductDllInEitherProgramFilesFolderWithoutRegistration) {
  for (const bool x86 : {false, true}) {
    ClearProductState();
    ASSERT_TRUE(PlaceProductDll(x86));
    EXPECT_TRUE(IsProductInstalled()) << (x86 ? "x86 folder" : "native folder");
    // No language list: the Japanese keyboard alone.
    EXPECT_EQ(ReadInstalledLanguages(), Codes{L"ja"});
    EXPECT_EQ(SituationOf(DetectInstallState()), InstallSituation::TargetOnly);
  }
}

TEST_F(InstallStateTest, RegistrationCountsOnlyForAPlainPathToAnExistingFile) {
  TempFolder folder;
  const std::wstring server = folder.File(L"server.dll");
  ASSERT_TRUE(WriteFileBytes(server, "MZ"));

  ASSERT_TRUE(RegisterTextServiceServer(server));
  EXPECT_TRUE(IsProductInstalled());
  ASSERT_TRUE(RegisterTextServiceServer(L"\"" + server + L"\""));
  EXPECT_FALSE(IsProductInstalled());
  ::SetEnvironmentVariableW(L"ORLINTH_TEST_FOLDER", folder.path().c_str());
  ASSERT_TRUE(RegisterTextServiceServer(L"%ORLINTH_TEST_FOLDER%\\server.dll"));
  EXPECT_FALSE(IsProductInstalled());
  ASSERT_TRUE(RegisterTextServiceServer(folder.path()));  // a folder, not a file
  EXPECT_FALSE(IsProductInstalled());
  ASSERT_TRUE(RegisterTextServiceServer(server));
  ASSERT_TRUE(::DeleteFileW(server.c_str()));
  EXPECT_FALSE(IsProductInstalled());
}

TEST(ParseInstalledLanguages, ItemsLowerCasedWithoutSpacesOrEmptyItems) {
  EXPECT_EQ(ParseInstalledLanguages(L"JA, ar,,hi "), (Codes{L"ja", L"ar", L"hi"}));
  EXPECT_EQ(ParseInstalledLanguages(L"j a"), Codes{L"ja"});
  EXPECT_EQ(ParseInstalledLanguages(L"ar,ar"), (Codes{L"ar", L"ar"}));
  EXPECT_EQ(ParseInstalledLanguages(L" , ,,"), Codes{});
  EXPECT_EQ(ParseInstalledLanguages(L""), Codes{});
  EXPECT_EQ(ParseInstalledLanguages(L"\tJa"), Codes{L"\tja"});  // only spaces are dropped
}

struct LanguageValueCase {
  const char* name;
  std::wstring value;
  DWORD type;
  bool targetInstalled;
  Codes others;
};

TEST_F(InstallStateTest, LanguageValueOnAnInstalledProduct) {
  const LanguageValueCase cases[] = {
      {"mixed case and spaces", L"JA, ar,,hi ", REG_SZ, true, {L"ar", L"hi"}},
      {"empty", L"", REG_SZ, false, {}},
      {"only separators", L", ,", REG_SZ, false, {}},
      {"expandable string is not read", L"ar", REG_EXPAND_SZ, true, {}},
      {"255 characters fit", std::wstring(250, L' ') + L"ar,ko", REG_SZ, false, {L"ar", L"ko"}},
      {"256 characters do not", std::wstring(251, L' ') + L"ar,ko", REG_SZ, true, {}},
      {"target twice", L"ja,JA", REG_SZ, true, {}},
      {"duplicates kept", L"ar,ar,ja", REG_SZ, true, {L"ar", L"ar"}},
      {"unlisted code", L"ko", REG_SZ, false, {L"ko"}},
  };
  ASSERT_TRUE(PlaceProductDll(false));
  for (const LanguageValueCase& c : cases) {
    ASSERT_TRUE(SetInstalledLanguages(c.value, c.type)) << c.name;
    const InstallState state = DetectInstallState();
    EXPECT_TRUE(state.installed) << c.name;
    EXPECT_EQ(state.targetInstalled, c.targetInstalled) << c.name;
    EXPECT_EQ(state.otherLanguages, c.others) << c.name;
  }
}

TEST(JoinLanguageNames, KoreanNamesOrTheCodeItself) {
  EXPECT_EQ(JoinLanguageNames({L"ar", L"hi"}), L"아랍어, 힌디어");
  EXPECT_EQ(JoinLanguageNames({L"ar", L"xx"}), L"아랍어, xx");
  EXPECT_EQ(JoinLanguageNames({L"ar", L"ar"}), L"아랍어, 아랍어");
  EXPECT_EQ(JoinLanguageNames({L"HI"}), L"힌디어");
  EXPECT_EQ(JoinLanguageNames({L""}), L"");
  EXPECT_EQ(JoinLanguageNames({}), L"");
}

}  // namespace
