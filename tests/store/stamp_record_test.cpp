// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/stamp_record.h"

#include <gtest/gtest.h>

#include <limits>

namespace pb {
namespace {

StampRecord Sample() {
  NamesChecksum names;
  names.Add("C:\\a.txt");
  return StampRecord{
      .setId = "0123456789abcdef0123456789abcdef",
      .namesChecksum = names.Hex(),
      .files = {{0, 0, 0644},
                {-1, 999999999, 0},
                {std::numeric_limits<int64_t>::max(), 1, 07777},
                {std::numeric_limits<int64_t>::min(), 0, kStampUnknown},
                {4102444800, 123456789, 0751}},
      .directories = {{"C:\\Baum", {978307200, 0, 0755}}, {"C:\\Baum\\\xC3\xA4", {1, 2, 0555}}},
  };
}

TEST(StampRecordTest, ComesBackAsItWasWritten) {
  std::vector<StampRecord> records = {Sample(), StampRecord{.setId = "", .namesChecksum = Sample().namesChecksum,
                                                           .files = {}, .directories = {}}};
  for (const StampRecord& record : records) {
    const std::optional<StampRecord> back = ParseStampRecord(StampRecordBytes(record));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, record);
  }
}

// Many files of one tree cost a few bytes each, so a record of many small
// files still fits beside the last volume on a diskette.
TEST(StampRecordTest, FilesOfOneTreeCostFewBytes) {
  StampRecord record = Sample();
  record.files.clear();
  for (int i = 0; i < 20000; ++i) record.files.push_back({1700000000 + i % 7, (i * 7919) % 1000000000, 0644});
  EXPECT_LT(StampRecordBytes(record).size(), 20000u * 6);
}

TEST(StampRecordTest, DamagedRecordsAreRefused) {
  const std::string bytes = StampRecordBytes(Sample());
  const std::size_t packed = bytes.find('\n', bytes.find("Daten ")) + 1;
  const auto changed = [&](std::size_t at, char c) {
    std::string copy = bytes;
    copy[at] = c;
    return copy;
  };
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"first line only", bytes.substr(0, bytes.find('\n') + 1)},
      {"cut in the packed part", bytes.substr(0, bytes.size() - 1)},
      {"a byte more", bytes + "x"},
      {"packed byte changed", changed(packed + 2, static_cast<char>(bytes[packed + 2] ^ 1))},
      {"set identity not hex", changed(bytes.find("Satz ") + 5, 'g')},
      {"file count not a number", changed(bytes.find("Dateien ") + 8, 'x')},
      {"a file fewer than the packed part holds", [&] {
         std::string copy = bytes;
         copy.replace(copy.find("Dateien 5 "), 10, "Dateien 4 ");
         return copy;
       }()},
      {"lines swapped", "Parcelbarge-Zeiten 1\n" + bytes.substr(bytes.find("Dateien "))},
  };
  for (const auto& [name, damaged] : cases) {
    EXPECT_FALSE(ParseStampRecord(damaged).has_value()) << name;
  }
}

}  // namespace
}  // namespace pb
