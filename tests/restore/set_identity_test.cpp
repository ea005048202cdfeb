// SPDX-License-Identifier: GPL-3.0-or-later
// The identity records beside the volumes, as the restore meets them on
// diskettes put in one after the other.
#include <algorithm>
#include <functional>

#include "restore_fixture.h"
#include "set_media.h"

namespace pb {
namespace {

using testing::DisketteOf;
using testing::Medium;

const std::string kSetA(32, 'a');
const std::string kSetB(32, 'b');
constexpr const char* kForeign = "Dieser Datenträger gehört nicht zu diesem Sicherungssatz.";
constexpr const char* kDamaged2 =
    "Band 2 dieses Sicherungssatzes ist beschädigt: Länge oder Prüfsumme weichen von seiner Kennung ab.\r"
    "Unbeschädigte Teile werden trotzdem gelesen.";
const std::string kDamaged3 = std::string(kDamaged2).replace(5, 1, "3");

// Two sets of the same layout: one file over three volumes, one small file.
struct TwoSets {
  std::string dataA = testing::RandomBytes(300000, 1);
  std::string dataB = testing::RandomBytes(300000, 2);
  std::vector<std::string> a = testing::ThreeVolumeSet(dataA, "klein");
  std::vector<std::string> b = testing::ThreeVolumeSet(dataB, "KLEIN");
};

// Changes the entry text of a diskette's record.
Medium EditRecord(Medium medium, const std::string& from, const std::string& to) {
  std::string& record = medium[std::string(kIdentityFileName)];
  record.replace(record.find(from), from.size(), to);
  return medium;
}

Medium WithoutRecord(Medium medium) {
  medium.erase(std::string(kIdentityFileName));
  return medium;
}

struct DisketteSequence {
  const char* name;
  // The diskette in the drive at the start, and the one put in at each prompt.
  std::function<std::vector<Medium>(const TwoSets&)> diskettes;
  std::vector<std::string> boxes;
  bool restoresSetA;  // else today's reading without records: whatever lies in the drive
};

void PrintTo(const DisketteSequence& row, std::ostream* out) { *out << row.name; }

class SetIdentityRestoreTest : public testing::RestoreTest, public ::testing::WithParamInterface<DisketteSequence> {};

TEST_P(SetIdentityRestoreTest, ChecksEachDisketteBeforeReadingIt) {
  const TwoSets sets;
  const std::vector<Medium> diskettes = GetParam().diskettes(sets);
  std::size_t next = 0;
  testing::PutInDrive(SetDir(), diskettes[next++]);
  for (const std::string& text : GetParam().boxes) {
    if (text != testing::kNextDiskBox) {
      boxes.Then(BoxButton::Ok);
      continue;
    }
    boxes.Then(BoxButton::Ok, [&] { testing::PutInDrive(SetDir(), diskettes.at(next++)); });
  }

  // A damaged volume's files may hold other bytes, even where the fragments' checks pass.
  const bool damaged = std::count(GetParam().boxes.begin(), GetParam().boxes.end(), kDamaged2) +
                           std::count(GetParam().boxes.begin(), GetParam().boxes.end(), kDamaged3) >
                       0;
  EXPECT_EQ(Restore(), damaged ? RestoreOutcome::Damaged : RestoreOutcome::Intact);

  EXPECT_EQ(boxes.texts(), GetParam().boxes);
  EXPECT_EQ(next, diskettes.size());
  const std::string middle = (GetParam().restoresSetA ? sets.dataA : sets.dataB).substr(131072, 131072);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gross.bin",
                              sets.dataA.substr(0, 131072) + middle + sets.dataA.substr(262144)));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "klein.txt", "klein"));
}

const char* const kNext = testing::kNextDiskBox;

INSTANTIATE_TEST_SUITE_P(
    Diskettes, SetIdentityRestoreTest,
    ::testing::Values(
        DisketteSequence{"RightOrder",
             [](const TwoSets& s) {
               return std::vector{DisketteOf(s.a, kSetA, 1), DisketteOf(s.a, kSetA, 2), DisketteOf(s.a, kSetA, 3)};
             },
             {kNext, kNext}, true},
        DisketteSequence{"AnotherSetsVolume2",
             [](const TwoSets& s) {
               return std::vector{DisketteOf(s.a, kSetA, 1), DisketteOf(s.b, kSetB, 2), DisketteOf(s.a, kSetA, 2),
                                  DisketteOf(s.a, kSetA, 3)};
             },
             {kNext, kForeign, kNext, kNext}, true},
        // Our record on a medium that leaves out the volume of that name
        // beside it: another set's, never taken for ours.
        DisketteSequence{"AnotherSetsVolumeBesideOurRecord",
             [](const TwoSets& s) {
               Medium mixed = DisketteOf(s.a, kSetA, 3);
               mixed["DataBlock#2.Parcelbarge"] = s.b[1];
               return std::vector{DisketteOf(s.a, kSetA, 1), mixed, DisketteOf(s.a, kSetA, 2),
                                  DisketteOf(s.a, kSetA, 3)};
             },
             {kNext, kForeign,
              "Ohne Band 2 mit Band 3 weiterlesen?\rWas in den fehlenden Bänden steht, geht dabei verloren.", kNext,
              kNext},
             true},
        DisketteSequence{"Volume3BeforeVolume2",
             [](const TwoSets& s) {
               return std::vector{DisketteOf(s.a, kSetA, 1), DisketteOf(s.a, kSetA, 3), DisketteOf(s.a, kSetA, 2),
                                  DisketteOf(s.a, kSetA, 3)};
             },
             // Not answered Yes, going on without volume 2 is not taken.
             {kNext, "Auf diesem Datenträger liegt Band 3 dieses Sicherungssatzes, gebraucht wird Band 2.",
              "Ohne Band 2 mit Band 3 weiterlesen?\rWas in den fehlenden Bänden steht, geht dabei verloren.", kNext,
              kNext},
             true},
        DisketteSequence{"RecordWithAnotherLength",
             [](const TwoSets& s) {
               const std::string length = std::to_string(s.a[1].size());
               return std::vector{DisketteOf(s.a, kSetA, 1),
                                  EditRecord(DisketteOf(s.a, kSetA, 2), " 0000" + length + " ",
                                             " 0000" + std::to_string(s.a[1].size() + 1) + " "),
                                  DisketteOf(s.a, kSetA, 3)};
             },
             {kNext, kDamaged2, kNext}, true},
        DisketteSequence{"RecordWithAnotherChecksum",
             [](const TwoSets& s) {
               VolumeChecksum checksum;
               checksum.Update(s.a[1]);
               const std::string good = checksum.Hex();
               std::string bad = good;
               bad[0] = bad[0] == '0' ? '1' : '0';
               return std::vector{DisketteOf(s.a, kSetA, 1), EditRecord(DisketteOf(s.a, kSetA, 2), good, bad),
                                  DisketteOf(s.a, kSetA, 3)};
             },
             {kNext, kDamaged2, kNext}, true},
        // The last volume is compared once the set has been read.
        DisketteSequence{"LastVolumeWithAnotherChecksum",
             [](const TwoSets& s) {
               VolumeChecksum checksum;
               checksum.Update(s.a[2]);
               return std::vector{DisketteOf(s.a, kSetA, 1), DisketteOf(s.a, kSetA, 2),
                                  EditRecord(DisketteOf(s.a, kSetA, 3), checksum.Hex(), std::string(32, '0'))};
             },
             {kNext, kNext, kDamaged3}, true},
        // A set whose records tell of repair volumes on other media names the remedy.
        DisketteSequence{"DamagedVolumeOfASetWithRepairVolumes",
             [](const TwoSets& s) {
               std::vector<Medium> media;
               for (int n = 1; n <= 3; ++n) {
                 media.push_back(EditRecord(DisketteOf(s.a, kSetA, n), "Satz " + kSetA + "\n",
                                            "Satz " + kSetA + "\nReparaturbände 2\n"));
               }
               const std::string length = std::to_string(s.a[1].size());
               media[1] = EditRecord(media[1], " 0000" + length + " ", " 0000" + std::to_string(s.a[1].size() + 1) + " ");
               return media;
             },
             {kNext, kDamaged2,
              "Zu diesem Sicherungssatz gibt es Reparaturbände. Mit ihnen lässt sich Band 2 wiederherstellen:\r"
              "Alle lesbaren Datenträger in ein Verzeichnis kopieren und dort \"parcelbarge-cli repair VERZEICHNIS\" "
              "aufrufen.",
              kNext},
             true},
        // Sets written without records are read as they always were.
        DisketteSequence{"NoRecords",
             [](const TwoSets& s) {
               return std::vector{WithoutRecord(DisketteOf(s.a, kSetA, 1)), DisketteOf(s.b, kSetB, 2),
                                  WithoutRecord(DisketteOf(s.a, kSetA, 3))};
             },
             {kNext, kNext}, false}),
    [](const ::testing::TestParamInfo<DisketteSequence>& row) { return row.param.name; });

// A diskette lost: the user puts in the next one and lets the restore go on
// without it. The file it cut short is named and keeps what was read; the
// rest of the set is restored.
class LostDisketteTest : public testing::RestoreTest {};

TEST_F(LostDisketteTest, ALaterDisketteStandsInWhenTheUserAgrees) {
  const TwoSets sets;
  testing::PutInDrive(SetDir(), DisketteOf(sets.a, kSetA, 1));
  boxes.Then(BoxButton::Ok, [&] { testing::PutInDrive(SetDir(), DisketteOf(sets.a, kSetA, 3)); })
      .Then(BoxButton::Ok)
      .Then(BoxButton::Yes)
      .Then(BoxButton::Ok);
  ProbeDisplay view("D:\\Sich");
  ProbeArchive(view, drives.fs(), probe);
  RestoreOptions options;
  std::vector<std::string> cut;
  options.cutFile = [&](const std::string& path, const LostVolumes& lost) {
    cut.push_back(path + " " + std::to_string(lost.first) + "-" + std::to_string(lost.last));
  };
  int lostFiles = -1;
  options.filesLost = [&](int32_t count, int32_t) { lostFiles = count; };
  Runtime runtime{drives.fs(), boxes, host};
  EXPECT_EQ(ReadArchive(runtime, probe, "D:\\Sich", "C:\\Rueck", 1, options), RestoreOutcome::Damaged);
  EXPECT_EQ(boxes.texts(),
            (std::vector<std::string>{
                kNext, "Auf diesem Datenträger liegt Band 3 dieses Sicherungssatzes, gebraucht wird Band 2.",
                "Ohne Band 2 mit Band 3 weiterlesen?\rWas in den fehlenden Bänden steht, geht dabei verloren.",
                "Band 2 dieses Sicherungssatzes fehlt und lässt sich nicht wiederherstellen.\rDie Dateien darin gehen "
                "verloren; gelesen wird weiter mit Band 3."}));
  EXPECT_EQ(cut, std::vector<std::string>{"C:\\Rueck\\gross.bin 2-2"});
  EXPECT_EQ(lostFiles, -1);  // no file began on the lost diskette
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gross.bin", sets.dataA.substr(0, 131072)));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "klein.txt", "klein"));
}

}  // namespace
}  // namespace pb
