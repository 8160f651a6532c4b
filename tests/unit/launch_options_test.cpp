#include <gtest/gtest.h>

#include "app/launch_options.h"

namespace {

TEST(LaunchOptions, SwitchesMatchWholeArgumentsIgnoringAsciiCase) {
  EXPECT_TRUE(ParseLaunchArguments({L"/UPDATE"}).autoUpdate);
  EXPECT_TRUE(ParseLaunchArguments({L"--Update"}).autoUpdate);
  EXPECT_FALSE(ParseLaunchArguments({L"/updates"}).autoUpdate);
  EXPECT_FALSE(ParseLaunchArguments({L"/update=1"}).autoUpdate);
  EXPECT_FALSE(ParseLaunchArguments({L"update"}).autoUpdate);
  EXPECT_TRUE(ParseLaunchArguments({L"/NoSelfUpdate"}).noSelfUpdate);
  EXPECT_FALSE(ParseLaunchArguments({L"/noselfupdate"}).autoUpdate);

  const LaunchOptions options = ParseLaunchArguments({L"--noselfupdate", L"foo"});
  EXPECT_TRUE(options.noSelfUpdate);
  EXPECT_FALSE(options.autoUpdate);
  EXPECT_EQ(options.relaunchParameters, L"--noselfupdate foo");
}

// What deployment tools send by habit, with "/" or "-" and in any case.
TEST(LaunchOptions, DeploymentAliasesAndLogForms) {
  for (const wchar_t* quiet : {L"/S", L"-s", L"/silent", L"/VERYSILENT", L"/q", L"-q", L"/qn", L"--quiet"}) {
    const LaunchOptions options = ParseLaunchArguments({quiet});
    EXPECT_TRUE(options.quiet && !options.passive) << quiet;
  }
  for (const wchar_t* passive : {L"/qb", L"-QB", L"/passive"}) {
    const LaunchOptions options = ParseLaunchArguments({passive});
    EXPECT_TRUE(options.passive && !options.quiet) << passive;
  }
  for (const wchar_t* other : {L"/qr", L"/silently", L"s", L"/norestart"}) {
    const LaunchOptions options = ParseLaunchArguments({other});
    EXPECT_FALSE(options.quiet || options.passive) << other;
  }
  EXPECT_EQ(ParseLaunchArguments({L"/log=C:\\a.log"}).logPath, L"C:\\a.log");
  EXPECT_EQ(ParseLaunchArguments({L"-LOG:C:\\a.log"}).logPath, L"C:\\a.log");
  LaunchOptions spaced = ParseLaunchArguments({L"/log", L"C:\\my logs\\a.log", L"/quiet"});
  EXPECT_EQ(spaced.logPath, L"C:\\my logs\\a.log");
  EXPECT_TRUE(spaced.quiet);
  EXPECT_EQ(spaced.relaunchParameters, L"/log \"C:\\my logs\\a.log\" /quiet");
  EXPECT_TRUE(ParseLaunchArguments({L"/log"}).logPath.empty());
}

// What deployment tools and people ask beyond an operation.
TEST(LaunchOptions, HelpDowngradeContradictionsAndUnknownSwitches) {
  for (const wchar_t* help : {L"/?", L"/h", L"-h", L"/help", L"--help", L"-?"}) {
    EXPECT_TRUE(ParseLaunchArguments({help}).help) << help;
  }
  EXPECT_FALSE(ParseLaunchArguments({L"/hh"}).help);
  EXPECT_TRUE(ParseLaunchArguments({L"/AllowDowngrade"}).allowDowngrade);
  const LaunchOptions both = ParseLaunchArguments({L"/passive", L"/quiet"});
  EXPECT_TRUE(both.quiet && !both.passive && both.quietOverPassive);
  EXPECT_FALSE(ParseLaunchArguments({L"/passive"}).quietOverPassive);
  EXPECT_TRUE(IsContradictory(ParseLaunchArguments({L"/uninstall", L"/update"})));
  EXPECT_FALSE(IsContradictory(ParseLaunchArguments({L"/uninstall", L"/quiet"})));
  const LaunchOptions unknown = ParseLaunchArguments({L"/bogus", L"/norestart", L"/quiet", L"x"});
  EXPECT_EQ(unknown.unknownArguments, (std::vector<std::wstring>{L"/bogus", L"x"}));
}

// The marker of the relaunch through the elevation prompt is read, never
// passed on.
TEST(LaunchOptions, TheElevationMarkerIsReadButNotPassedOn) {
  const LaunchOptions options = ParseLaunchArguments({L"/quiet", kElevationRelaunchSwitch});
  EXPECT_TRUE(options.relaunchedForElevation);
  EXPECT_EQ(options.relaunchParameters, L"/quiet");
  EXPECT_FALSE(ParseLaunchArguments({L"/quiet"}).relaunchedForElevation);
}

TEST(LaunchOptions, ApplyPathIsCleanedAndCarriedQuoted) {
  LaunchOptions options = ParseLaunchArguments({L"/apply-self-update:C:\\a b\\Setup.exe"});
  EXPECT_EQ(options.applySelfUpdatePath, L"C:\\a b\\Setup.exe");
  EXPECT_TRUE(options.noSelfUpdate);
  EXPECT_EQ(options.relaunchParameters, L"\"/apply-self-update:C:\\a b\\Setup.exe\"");

  options = ParseLaunchArguments({L"/Apply-Self-Update:\":C:\\x\\Setup.exe\""});
  EXPECT_EQ(options.applySelfUpdatePath, L"C:\\x\\Setup.exe");
  // Only quotes come off the end; a colon there stays.
  EXPECT_EQ(ParseLaunchArguments({L"/apply-self-update:::C:\\y:\"\""}).applySelfUpdatePath, L"C:\\y:");
}

TEST(LaunchOptions, VersionAndProcessId) {
  LaunchOptions options = ParseLaunchArguments({L"/apply-self-version: 1.0.20 ", L"/apply-self-pid:1234x"});
  EXPECT_EQ(options.applySelfUpdateVersion, L" 1.0.20 ");
  EXPECT_EQ(options.applySelfUpdatePid, 1234u);
  EXPECT_FALSE(options.noSelfUpdate);
  EXPECT_EQ(ParseLaunchArguments({L"/apply-self-pid:"}).applySelfUpdatePid, 0u);
  EXPECT_EQ(ParseLaunchArguments({L"/apply-self-pid:  +77"}).applySelfUpdatePid, 77u);
  EXPECT_EQ(ParseLaunchArguments({L"/apply-self-pid:abc"}).applySelfUpdatePid, 0u);
  // A repeated option overwrites the earlier value.
  EXPECT_EQ(ParseLaunchArguments({L"/apply-self-pid:5", L"/apply-self-pid:6"}).applySelfUpdatePid, 6u);
}

TEST(LaunchOptions, RelaunchParametersKeepEveryArgumentInOrder) {
  EXPECT_EQ(ParseLaunchArguments({}).relaunchParameters, L"");
  EXPECT_EQ(ParseLaunchArguments({L"a", L"", L"b"}).relaunchParameters, L"a  b");
  EXPECT_EQ(ParseLaunchArguments({L"", L"b"}).relaunchParameters, L"b");
  // Only spaces cause quoting; tabs and inner quotes pass as they are.
  EXPECT_EQ(ParseLaunchArguments({L"x\ty", L"say \"hi\""}).relaunchParameters, L"x\ty \"say \"hi\"\"");
}

TEST(LaunchOptions, UnsplitTailIsCarriedVerbatim) {
  LaunchOptions options = ParseUnsplitCommandTail(L"--update");
  EXPECT_FALSE(options.autoUpdate);
  EXPECT_EQ(options.relaunchParameters, L"--update");

  options = ParseUnsplitCommandTail(L"/noselfupdate");
  EXPECT_TRUE(options.noSelfUpdate);
  EXPECT_FALSE(options.autoUpdate);

  options = ParseUnsplitCommandTail(L"x /update  /apply-self-pid:9");
  EXPECT_TRUE(options.autoUpdate);
  EXPECT_EQ(options.applySelfUpdatePid, 0u);
  EXPECT_EQ(options.relaunchParameters, L"x /update  /apply-self-pid:9");
  // Case-sensitive in this mode.
  EXPECT_FALSE(ParseUnsplitCommandTail(L"/UPDATE").autoUpdate);
}

TEST(LaunchOptions, ReadsAWholeCommandLineWithWindowsQuoting) {
  const LaunchOptions options =
      ReadLaunchOptions(L"\"C:\\Program Files\\Setup.exe\" /update \"/apply-self-update:C:\\a b\\n.exe\"", L"ignored");
  EXPECT_TRUE(options.autoUpdate);
  EXPECT_TRUE(options.noSelfUpdate);
  EXPECT_EQ(options.applySelfUpdatePath, L"C:\\a b\\n.exe");
  EXPECT_EQ(options.relaunchParameters, L"/update \"/apply-self-update:C:\\a b\\n.exe\"");

  EXPECT_EQ(ReadLaunchOptions(nullptr, L"/update x").relaunchParameters, L"/update x");
  EXPECT_TRUE(ReadLaunchOptions(nullptr, L"/update x").autoUpdate);
  EXPECT_EQ(ReadLaunchOptions(nullptr, L"").relaunchParameters, L"");
}

}  // namespace
