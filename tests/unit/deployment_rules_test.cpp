// What a deployment tool reads: exit codes, the script policy Setup heeds,
// and the version numbers of the uninstall entry.
#include <gtest/gtest.h>

#include "app/operation_state.h"
#include "ops/uninstall_registration.h"
#include "package/script_policy.h"

namespace {

OperationResult NoPackage(PackageFailure failure) {
  return {kOperationInstall, -2, L"설치 패키지를 찾을 수 없습니다.", false, L"", failure};
}

OperationResult ScriptEnded(OperationKind kind, int code) {
  OperationResult done;
  done.kind = kind;
  done.result = code;
  return done;
}

TEST(ExitCodeFor, EachOutcomeHasItsOwnCode) {
  EXPECT_EQ(ExitCodeFor(NoPackage(PackageFailure::NoSource), false), 1612);
  EXPECT_EQ(ExitCodeFor(NoPackage(PackageFailure::RefusedByPolicy), false), 1625);
  EXPECT_EQ(ExitCodeFor(NoPackage(PackageFailure::NewerInstalled), false), 1638);
  EXPECT_EQ(ExitCodeFor(NoPackage(PackageFailure::DiskFull), false), 112);
  EXPECT_EQ(ExitCodeFor(NoPackage(PackageFailure::Cancelled), false), 1602);
  EXPECT_EQ(ExitCodeFor(NoPackage(PackageFailure::Other), false), 1603);
  EXPECT_EQ(ExitCodeFor(ScriptEnded(kOperationInstall, 0), false), 0);
  // A script that ended well but left no Japanese keyboard failed.
  EXPECT_EQ(ExitCodeFor(ScriptEnded(kOperationInstall, 0), true), 1603);
  // A restart finishes only a removal; an install asking for one failed.
  EXPECT_EQ(ExitCodeFor(ScriptEnded(kOperationUninstall, 3010), false), 3010);
  EXPECT_EQ(ExitCodeFor(ScriptEnded(kOperationInstall, 3010), false), 1603);
  EXPECT_EQ(ExitCodeFor(ScriptEnded(kOperationInstall, 7), false), 1603);
}

TEST(ScriptPolicy, OnlyAMachineRuleAgainstUnsignedScriptsStopsThem) {
  EXPECT_EQ(PolicyFor(std::nullopt, L"AllSigned"), ScriptPolicy::Any);
  EXPECT_EQ(PolicyFor(0, L""), ScriptPolicy::None);
  EXPECT_EQ(PolicyFor(1, L"allsigned"), ScriptPolicy::SignedOnly);
  EXPECT_EQ(PolicyFor(1, L"RemoteSigned"), ScriptPolicy::Any);
  EXPECT_EQ(PolicyFor(1, L"Unrestricted"), ScriptPolicy::Any);
  EXPECT_TRUE(HasSignatureBlock("Write-Output 1\r\n\r\n# SIG # Begin signature block\r\n# MIIb\r\n"));
  EXPECT_FALSE(HasSignatureBlock("Write-Output '# SIG # Begin'\r\n"));
}

TEST(MajorAndMinorOf, TheFirstTwoNumbersOrZero) {
  EXPECT_EQ(MajorAndMinorOf(L"2.4.0"), std::make_pair(2ul, 4ul));
  EXPECT_EQ(MajorAndMinorOf(L"10.20-beta"), std::make_pair(10ul, 20ul));
  EXPECT_EQ(MajorAndMinorOf(L"3"), std::make_pair(3ul, 0ul));
  EXPECT_EQ(MajorAndMinorOf(L"v2.4"), std::make_pair(0ul, 0ul));
  EXPECT_EQ(MajorAndMinorOf(L"99999999999.1"), std::make_pair(0ul, 0ul));
  EXPECT_EQ(MajorAndMinorOf(L""), std::make_pair(0ul, 0ul));
}

}  // namespace
