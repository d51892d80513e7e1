#include "platform/user_registry.h"

#include <gtest/gtest.h>

#include "tests/platform/scoped_temp_dir.h"

namespace zk {
namespace {

using testing::ScopedEnv;
using testing::ScopedTempDir;

// A user.reg as Wine writes it, with both IDE versions' library keys.
constexpr std::string_view kUserReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win32\n"
    "\n"
    "[Software\\\\Borland\\\\Delphi\\\\3.0\\\\Library] 1700000000\n"
    "#time=1da0b0c0d0e0f00\n"
    "\"SearchPath\"=\"$(DELPHI)\\\\Lib;C:\\\\Comps\"\n"
    "\n"
    "[Software\\\\Borland\\\\Delphi\\\\4.0\\\\Library] 1700000001\n"
    "#time=1da0b0c0d0e0f01\n"
    "\"Browsing Path\"=\"$(DELPHI)\\\\Source\\\\VCL\"\n"
    "\"Package DPL Output\"=\"$(DELPHI)\\\\Projects\\\\Bpl\"\n"
    "\"Search Path\"=\"$(DELPHI)\\\\Lib;$(DELPHI)\\\\Bin\"\n"
    "\n"
    "[Software\\\\Borland\\\\Package Collection Editor\\\\Installed Programs\\\\Delphi] 1700000002\n"
    "#time=1da0b0c0d0e0f02\n"
    "\"Path\"=\"C:\\\\Program Files\\\\Borland\\\\Delphi4\"\n";

struct RegCase {
  const char* key;
  const char* value;
  const char* expected;
};

class RegistryLookupTest : public ::testing::TestWithParam<RegCase> {};

TEST_P(RegistryLookupTest, FindsStringValues) {
  const RegCase& c = GetParam();
  EXPECT_EQ(ReadRegistryStringFromText(kUserReg, c.key, c.value), c.expected)
      << c.key << " " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RegistryLookupTest,
    ::testing::Values(
        RegCase{"Software\\Borland\\Delphi\\4.0\\Library", "Search Path",
                "$(DELPHI)\\Lib;$(DELPHI)\\Bin"},
        RegCase{"Software\\Borland\\Delphi\\3.0\\Library", "SearchPath", "$(DELPHI)\\Lib;C:\\Comps"},
        RegCase{"Software\\Borland\\Package Collection Editor\\Installed Programs\\Delphi", "Path",
                "C:\\Program Files\\Borland\\Delphi4"},
        RegCase{"SOFTWARE\\borland\\DELPHI\\4.0\\library", "search path",
                "$(DELPHI)\\Lib;$(DELPHI)\\Bin"},
        RegCase{"\\Software\\Borland\\Delphi\\4.0\\Library\\", "Search Path",
                "$(DELPHI)\\Lib;$(DELPHI)\\Bin"},
        RegCase{"Software\\Borland\\Delphi\\4.0\\Library", "SearchPath", ""},
        RegCase{"Software\\Borland\\Delphi\\3.0\\Library", "Search Path", ""},
        RegCase{"Software\\Borland\\Delphi\\5.0\\Library", "Search Path", ""},
        RegCase{"Software\\Borland\\Delphi\\4.0", "Search Path", ""},
        RegCase{"Software\\Borland\\Delphi\\4.0\\Library\\Sub", "Search Path", ""}));

std::string RegWith(std::string_view value_lines) {
  return "WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n" + std::string(value_lines);
}

TEST(RegistryStringTest, DecodesEscapes) {
  const std::string text = RegWith(
      "\"v\"=\"q\\\"b\\\\s\\a\\b\\t\\n\\v\\f\\r\\e\\101\\0\\x41\\x00e9\\xe9\\x20ac\\xd83d\\xde00\\z\"\n");
  std::string expected = "q\"b\\s\a\b\t\n\v\f\r\x1b" "A";
  expected += '\0';
  expected += "A\xE9\xE9\xE2\x82\xAC\xF0\x9F\x98\x80z";
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "v"), expected);
}

TEST(RegistryStringTest, EscapedNamesAndKeyPaths) {
  const std::string text =
      "WINE REGISTRY Version 2\n"
      "[Software\\\\A\\]B\\\\C\\x00e9] 1\n"
      "\"Name \\\"quoted\\\"\"=\"found\"\n";
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\A]B\\C\xE9", "Name \"quoted\""), "found");
}

TEST(RegistryStringTest, OnlyPlainAndExpandableStringsCount) {
  const std::string text = RegWith(
      "@=\"default\"\n"
      "\"sz\"=\"plain\"\n"
      "\"expand\"=str(2):\"%WINDIR%\\\\x\"\n"
      "\"multi\"=str(7):\"a\\0b\\0\"\n"
      "\"num\"=dword:0000002a\n"
      "\"bin\"=hex:61,62,63,\\\n"
      "  64,65\n"
      "\"after\"=\"still read\"\n");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "sz"), "plain");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "expand"), "%WINDIR%\\x");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "multi"), "");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "num"), "");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "bin"), "");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "after"), "still read");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "@"), "default");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", ""), "default");
}

TEST(RegistryStringTest, ContinuationLineThatLooksLikeAValueIsSkipped) {
  const std::string text = RegWith(
      "\"bin\"=hex:61,\\\n"
      "\"x\"=\"fake\"\n"
      "\"x\"=\"real\"\n");
  EXPECT_EQ(ReadRegistryStringFromText(text, "Software\\Test", "x"), "real");
}

TEST(RegistryStringTest, CrLfLinesAreRead) {
  EXPECT_EQ(ReadRegistryStringFromText(
                "WINE REGISTRY Version 2\r\n[Software\\\\Test] 1\r\n\"v\"=\"x\"\r\n",
                "Software\\Test", "v"),
            "x");
}

TEST(RegistryStringTest, BadInputGivesEmptyText) {
  const std::string good = RegWith("\"v\"=\"value\"\n");
  EXPECT_EQ(ReadRegistryStringFromText(good, "Software\\Test", "v"), "value");
  // No header: not a registry file.
  EXPECT_EQ(ReadRegistryStringFromText(good.substr(1), "Software\\Test", "v"), "");
  EXPECT_EQ(ReadRegistryStringFromText("", "Software\\Test", "v"), "");
  // Cut off at every length: never a crash, and never a partial value taken for the whole.
  for (size_t n = 0; n < good.size(); ++n) {
    const std::string read = ReadRegistryStringFromText(good.substr(0, n), "Software\\Test", "v");
    EXPECT_TRUE(read.empty() || read == "value") << n;
  }
  EXPECT_EQ(ReadRegistryStringFromText(RegWith("\"v\"=\"unterminated\\\n"), "Software\\Test", "v"),
            "");
  EXPECT_EQ(ReadRegistryStringFromText(RegWith("\"v\"=\"ends in escape\\"), "Software\\Test", "v"),
            "");
  std::string binary = "WINE REGISTRY Version 2\n";
  for (int i = 0; i < 300000; ++i) binary += static_cast<char>((i * 37 + 11) % 256);
  binary += "\n[Software\\\\Test] 1\n\"v\"=\"after noise\"\n";
  EXPECT_EQ(ReadRegistryStringFromText(binary, "Software\\Test", "v"), "after noise");
  const std::string huge(4 * 1024 * 1024, 'h');
  EXPECT_EQ(ReadRegistryStringFromText(RegWith("\"v\"=\"" + huge + "\"\n"), "Software\\Test", "v"),
            huge);
}

TEST(UserRegistryTest, ReadsUserRegOfThePrefix) {
  ScopedTempDir dir;
  dir.WriteFile("prefix/user.reg", kUserReg);
  ScopedEnv prefix("WINEPREFIX", dir.Join("prefix").c_str());
  EXPECT_EQ(ReadUserRegistryString("Software\\Borland\\Delphi\\4.0\\Library", "Search Path"),
            "$(DELPHI)\\Lib;$(DELPHI)\\Bin");
  EXPECT_EQ(ReadUserRegistryString("Software\\Borland\\Delphi\\4.0\\Library", "Missing"), "");
}

TEST(UserRegistryTest, NoPrefixOrNoFileGivesEmptyText) {
  ScopedTempDir home;
  {
    ScopedEnv prefix("WINEPREFIX", nullptr);
    ScopedEnv home_env("HOME", home.path().c_str());
    EXPECT_EQ(ReadUserRegistryString("Software\\Borland\\Delphi\\4.0\\Library", "Search Path"),
              "");
  }
  ScopedEnv prefix("WINEPREFIX", home.path().c_str());
  EXPECT_EQ(ReadUserRegistryString("Software\\Borland\\Delphi\\4.0\\Library", "Search Path"), "");
}

}  // namespace
}  // namespace zk
