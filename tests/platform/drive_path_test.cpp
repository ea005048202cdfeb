// SPDX-License-Identifier: GPL-3.0-or-later
// Drive paths as users write them, and names compared as the system compares
// them, on every platform.
#include "platform/drive_table.h"

#include <gtest/gtest.h>

namespace pb {
namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

TEST(NormalDrivePathTest, StepsAndSeparatorsMeanWhatTheyMeanInARelativePath) {
  const struct {
    const char* given;
    const char* normal;
    const char* onWindows = nullptr;  // where Windows reads it otherwise
  } table[] = {
      {"c:", "C:"},
      {"c:\\", "C:\\"},
      {"C:\\Daten\\Brief.doc", "C:\\Daten\\Brief.doc"},
      {"C:\\Daten\\..\\x", "C:\\x"},
      {"C:\\Daten\\.\\x", "C:\\Daten\\x"},
      {"C:\\Daten\\\\\\x", "C:\\Daten\\x"},
      {"C:\\\\Daten", "C:\\Daten"},
      {"C:\\Daten\\leer\\", "C:\\Daten\\leer"},
      {"C:\\Daten\\leer\\\\.\\", "C:\\Daten\\leer"},
      {"C:\\..\\..\\x", "C:\\x"},
      {"C:\\a\\b\\..\\..\\..", "C:\\"},
      {"D:\\Sich\\..", "D:\\"},
      {"C:\\Daten\\x.", "C:\\Daten\\x.", "C:\\Daten\\x"},
      {"C:\\Daten. \\x ..", "C:\\Daten. \\x ..", "C:\\Daten\\x"},
      {"C:\\Daten\\...", "C:\\Daten\\...", "C:\\Daten\\..."},
      {"C:\\Daten/x", "C:\\Daten/x", "C:\\Daten\\x"},
      {"C:\\Grüße €\\..\\Köln", "C:\\Köln"},
  };
  for (const auto& c : table) {
    EXPECT_EQ(NormalDrivePath(c.given), kWindows && c.onWindows ? c.onWindows : c.normal) << c.given;
  }
}

TEST(NameComparisonFormTest, CaseCountsOnlyOutsideWindows) {
  const std::pair<const char*, const char*> table[] = {
      {"A.BIN", "a.bin"},
      {"ÄÖÜ ÀÞ", "äöü àþ"},
      {"ŠŒŽŸ", "šœžÿ"},
      {"C:\\Fotos\\B.JPG", "c:\\fotos\\b.jpg"},
  };
  for (const auto& [upper, lower] : table) {
    EXPECT_EQ(NameComparisonForm(upper) == NameComparisonForm(lower), kWindows) << upper;
    EXPECT_EQ(NameComparisonForm(lower), lower) << "lower case stays";
  }
  const char* const distinct[] = {"ß", "×", "÷", "µ", "\xff\xfe", "中"};
  for (const char* name : distinct) EXPECT_EQ(NameComparisonForm(name), name) << name;
}

}  // namespace
}  // namespace pb
