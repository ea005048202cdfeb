// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/set_identity.h"

#include <gtest/gtest.h>

namespace pb {
namespace {

const std::string kId = "0123456789abcdef0123456789abcdef";
const std::string kSum = "fedcba9876543210fedcba9876543210";

TEST(SetIdentity, RecordTextAndItsWayBack) {
  const SetIdentity identity{kId,
                             {{1, VolumeState::More, 1457182, kSum},
                              {2, VolumeState::Last, 5, kSum},
                              {3, VolumeState::GivenUp, 0, kSum},
                              {4, VolumeState::Open, 0, ""}}};
  const std::string text = IdentityRecordBytes(identity);
  EXPECT_EQ(text,
            "Parcelbarge-Kennung 1\n"
            "Satz " + kId + "\n"
            "Band 00001 0001457182 " + kSum + " weiter \n"
            "Band 00002 0000000005 " + kSum + " Ende   \n"
            "Band 00003 0000000000 " + kSum + " Abbruch\n"
            "Band 00004 ---------- -------------------------------- offen  \n");
  const std::optional<SetIdentity> back = ParseIdentityRecord(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->setId, kId);
  ASSERT_EQ(back->volumes.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(back->volumes[i].number, identity.volumes[i].number);
    EXPECT_EQ(back->volumes[i].state, identity.volumes[i].state);
    EXPECT_EQ(back->volumes[i].length, identity.volumes[i].length);
    EXPECT_EQ(back->volumes[i].checksum, identity.volumes[i].checksum);
  }
}

// What is read as no record at all, so the volumes are read as without one.
TEST(SetIdentity, AnythingButAWellFormedRecordIsNone) {
  const std::string head = "Parcelbarge-Kennung 1\nSatz " + kId + "\n";
  const std::string line = "Band 00001 0000000005 " + kSum + " Ende   \n";
  for (const std::string& text : {
           std::string(),
           "Parcelbarge-Kennung 2\nSatz " + kId + "\n" + line,
           "Parcelbarge-Kennung 1\nSatz " + kId.substr(1) + "\n" + line,
           "Parcelbarge-Kennung 1\nSatz " + std::string(32, 'A') + "\n" + line,
           head + "Band 00001 0000000005 " + kSum + " fertig\n",
           head + "Band 00000 0000000005 " + kSum + " Ende\n",
           head + "Band 1 0000000005 " + kSum + " Ende\n",
           head + "Band 00001 5 " + kSum + " Ende\n",
           head + "Band 00001 0000000005 " + kSum + " Ende mehr\n",
           head + "Band 00001 ---------- " + kSum + " Ende\n",
           head + "Band 00001 0000000005 -------------------------------- offen\n",
           head + line + line,
           head + line + "Reparatur Reparatur#1.Parcelbarge 5 " + kSum + "\n",
           head + "Reparaturbände zwei\n" + line,
       }) {
    EXPECT_FALSE(ParseIdentityRecord(text)) << text;
  }
  EXPECT_TRUE(ParseIdentityRecord(head + line));
  EXPECT_TRUE(ParseIdentityRecord("Parcelbarge-Kennung 1\r\nSatz " + kId + "\r\n" + line));
}

// Repair volumes' files follow the volumes; kinds of line a later version
// may add are passed by without losing the volumes.
TEST(SetIdentity, RepairFilesAreListedAndUnknownLinesPassedBy) {
  const SetIdentity identity{kId, {{9, VolumeState::Last, 5, kSum}}, {{"Reparatur#1-2.Parcelbarge", 1234, kSum}}, 2};
  const std::string text = IdentityRecordBytes(identity);
  EXPECT_EQ(text.substr(0, text.find("Band")), "Parcelbarge-Kennung 1\nSatz " + kId + "\nReparaturbände 2\n");
  EXPECT_EQ(text.substr(text.find("Reparatur ")), "Reparatur Reparatur#1-2.Parcelbarge 0000001234 " + kSum + "\n");
  const std::optional<SetIdentity> back = ParseIdentityRecord(text + "Kommentar eines späteren Programms\n");
  ASSERT_TRUE(back);
  ASSERT_EQ(back->repairFiles.size(), 1u);
  EXPECT_EQ(back->repairFiles[0].name, "Reparatur#1-2.Parcelbarge");
  EXPECT_EQ(back->repairFiles[0].length, 1234);
  EXPECT_EQ(back->repairFiles[0].checksum, kSum);
  EXPECT_EQ(back->volumes.size(), 1u);
  EXPECT_EQ(back->repairRows, 2);
}

// An entry reserved while its volume is written takes as many bytes as the
// finished one, so a full diskette can still complete it.
TEST(SetIdentity, ReservedEntryIsAsLongAsTheFinishedOne) {
  SetIdentity identity{kId, {{7, VolumeState::Open, 0, ""}}};
  const std::size_t reserved = IdentityRecordBytes(identity).size();
  for (VolumeState state : {VolumeState::More, VolumeState::Last, VolumeState::GivenUp}) {
    identity.Put({7, state, 1474560, kSum});
    EXPECT_EQ(IdentityRecordBytes(identity).size(), reserved);
  }
  EXPECT_EQ(identity.volumes.size(), 1u);
}

TEST(SetIdentity, ChecksumIsXxh3Of128BitsInAnyPieces) {
  VolumeChecksum empty;
  EXPECT_EQ(empty.Hex(), "99aa06d3014798d86001c324468d497f");
  const std::string bytes(300000, 'x');
  VolumeChecksum whole;
  whole.Update(bytes);
  VolumeChecksum pieces;
  pieces.Update(std::string_view(bytes).substr(0, 7));
  pieces.Update(std::string_view(bytes).substr(7));
  EXPECT_EQ(pieces.Hex(), whole.Hex());
  EXPECT_NE(whole.Hex(), empty.Hex());
}

TEST(SetIdentity, EachRunHasAnIdentityOfItsOwn) {
  const std::string a = NewSetId();
  EXPECT_TRUE(ParseIdentityRecord("Parcelbarge-Kennung 1\nSatz " + a + "\n"));
  EXPECT_NE(a, NewSetId());
}

}  // namespace
}  // namespace pb
