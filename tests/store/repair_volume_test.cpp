// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/repair_volume.h"

#include <gtest/gtest.h>

namespace pb {
namespace {

const std::string kSetId = "0123456789abcdef0123456789abcdef";
const std::string kVolumeSum = "fedcba9876543210fedcba9876543210";

TEST(RepairVolume, FileNamesAndTheirWayBack) {
  EXPECT_EQ(RepairFileName(1), "Reparatur#1.Parcelbarge");
  EXPECT_EQ(RepairFileName(12, 3), "Reparatur#12-3.Parcelbarge");
  const std::vector<std::pair<std::string, std::optional<std::pair<int, int>>>> names = {
      {"Reparatur#1.Parcelbarge", std::pair{1, 1}},
      {"Reparatur#12-3.Parcelbarge", std::pair{12, 3}},
      {"Reparatur#1-1.Parcelbarge", std::nullopt},  // piece 1 has no number of its own
      {"Reparatur#01.Parcelbarge", std::nullopt},
      {"Reparatur#0.Parcelbarge", std::nullopt},
      {"Reparatur#.Parcelbarge", std::nullopt},
      {"Reparatur#1-.Parcelbarge", std::nullopt},
      {"Reparatur#1x.Parcelbarge", std::nullopt},
      {"Reparatur#1.parcelbarge", std::nullopt},
      {"DataBlock#1.Parcelbarge", std::nullopt},
  };
  for (const auto& [name, parsed] : names) EXPECT_EQ(ParseRepairFileName(name), parsed) << name;
}

RepairHead Head(int row, int rows, int16_t first, std::vector<int64_t> lengths) {
  RepairHead head{kSetId, row, rows, {}};
  for (int64_t length : lengths) {
    head.volumes.push_back({static_cast<int16_t>(first + head.volumes.size()), VolumeState::More, length, kVolumeSum});
  }
  head.volumes.back().state = VolumeState::Last;
  return head;
}

TEST(RepairVolume, HeadTextAndItsWayBack) {
  const RepairHead head = Head(1, 2, 254, {1457182, 5});
  const std::string text = RepairHeadBytes(head);
  EXPECT_EQ(text,
            "Parcelbarge-Reparatur 1\nSatz " + kSetId + "\nZeile 2 von 2\n"
            "Band 00254 0001457182 " + kVolumeSum + " weiter \n"
            "Band 00255 0000000005 " + kVolumeSum + " Ende   \n"
            "Daten\n");
  const auto back = ParseRepairHead(text + "row bytes");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->second, text.size());
  EXPECT_EQ(back->first.setId, kSetId);
  EXPECT_EQ(back->first.row, 1);
  EXPECT_EQ(back->first.rows, 2);
  ASSERT_EQ(back->first.volumes.size(), 2u);
  EXPECT_EQ(back->first.volumes[1].length, 5);
  EXPECT_EQ(back->first.RowLength(), 1457182);
  // The second group of a set with two rows per group begins at volume 254.
  EXPECT_EQ(back->first.Number(), 4);
}

TEST(RepairVolume, AnythingButAWholeWellFormedHeadIsNone) {
  const std::string good = RepairHeadBytes(Head(0, 2, 1, {10, 5}));
  const std::string line1 = "Band 00001 0000000010 " + kVolumeSum + " weiter \n";
  const std::string start = "Parcelbarge-Reparatur 1\nSatz " + kSetId + "\n";
  for (const std::string& text : {
           good.substr(0, good.size() - 1),  // no end of the head
           start + "Zeile 3 von 2\n" + line1 + "Daten\n",
           start + "Zeile 1 von 17\n" + line1 + "Daten\n",
           start + "Zeile 1 von 2\nDaten\n",  // no volume
           start + "Zeile 1 von 2\n" + line1 + "Band 00003 0000000010 " + kVolumeSum + " Ende   \nDaten\n",  // a gap
           start + "Zeile 1 von 2\nBand 00002 0000000010 " + kVolumeSum + " Ende   \nDaten\n",  // not a group's first
           start + "Zeile 1 von 2\nBand 00001 ---------- -------------------------------- offen  \nDaten\n",
           "Parcelbarge-Reparatur 2\nSatz " + kSetId + "\nZeile 1 von 2\n" + line1 + "Daten\n",
       }) {
    EXPECT_FALSE(ParseRepairHead(text)) << text;
  }
  EXPECT_TRUE(ParseRepairHead(good));
}

}  // namespace
}  // namespace pb
