// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever medium is offered at the backup's prompts, on a drive whose media
// come at a new path each time or always at the same one: a run either does
// not claim success, or leaves volumes that a reader of the records alone
// decodes to the sources.
#include <tuple>

#include "../backup/backup_fixture.h"
#include "media_drive.h"
#include "platform/posix/posix_medium_release.h"
#include "restore_fixture.h"
#include "set_media.h"
#include "store/set_identity.h"

namespace pb {
namespace {

using testing::kNextDisketteBox;
using testing::MediaDrive;

const char* const kAnotherSet =
    "Diese Diskette enthält einen anderen Sicherungssatz, der danach nicht mehr gelesen werden kann.\rZum "
    "Überschreiben auf OK klicken, sonst eine andere Diskette einlegen und auf OK klicken.";

// What is offered once in the run; every other prompt gets a fresh medium.
enum class Offer { Fresh, PulledOther, PulledSameShorter, ReadOnly, AnotherSet, Full };

struct OfferCase {
  const char* name;
  Offer offer;
};

using Row = std::tuple<MediaDrive::Paths, OfferCase, bool>;

class MediumChangeTable : public ::testing::TestWithParam<Row> {
 protected:
  int Fresh() { return drive.NewMedium(); }

  // The volumes as their media's records of the set give them, checked
  // against length and checksum; a later medium's copy replaces an earlier.
  std::vector<std::string> VolumesByRecords() {
    const std::optional<SetIdentity> first =
        ParseIdentityRecord(testing::ReadFile(drive.Files(media.front()) / "Parcelbarge-Kennung.txt"));
    std::map<int, std::string> found;
    if (!first) return {};
    for (const int medium : media) {
      const std::filesystem::path record = drive.Files(medium) / "Parcelbarge-Kennung.txt";
      if (!std::filesystem::exists(record)) continue;
      const std::optional<SetIdentity> identity = ParseIdentityRecord(testing::ReadFile(record));
      if (!identity || identity->setId != first->setId) continue;
      for (const VolumeEntry& entry : identity->volumes) {
        const std::string bytes =
            testing::ReadFile(drive.Files(medium) / ("DataBlock#" + std::to_string(entry.number) + ".Parcelbarge"));
        VolumeChecksum checksum;
        checksum.Update(bytes);
        if (entry.state != VolumeState::Open && static_cast<int64_t>(bytes.size()) == entry.length &&
            checksum.Hex() == entry.checksum) {
          found[entry.number] = bytes;
        }
      }
    }
    std::vector<std::string> volumes;
    for (const auto& [number, bytes] : found) {
      if (number != static_cast<int>(volumes.size()) + 1) break;
      volumes.push_back(bytes);
    }
    return volumes;
  }

  testing::TempDir dir;
  MediaDrive drive{dir.path(), MediaDrive::Kind::Tmpfs, std::get<0>(GetParam())};
  PosixFileSystem fs{drive.Drives()};
  PosixMediumRelease release{fs};
  testing::ScriptedBoxes user;
  testing::ScriptedHost host;
  std::vector<int> media;  // in the order put in
};

TEST_P(MediumChangeTable, SuccessOnlyForVolumesThatDecodeToTheSources) {
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  const auto& [paths, offerCase, clearing] = GetParam();
  const Offer offer = offerCase.offer;
  BackupPlan plan = testing::TestPlan(true);
  plan.clearTarget = clearing;
  const std::vector<std::string> sources = {testing::RandomBytes(2000000, 61), "", testing::RandomBytes(900000, 62)};
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const std::filesystem::path file = dir.path() / "Daten" / ("q" + std::to_string(i));
    testing::WriteFile(file, sources[i]);
    plan.files.push_back(fs.ToDriveForm(file.string()));
  }
  const auto insert = [&](int medium, bool readOnly = false) {
    media.push_back(medium);
    drive.Insert(medium, readOnly);
  };
  insert(Fresh());

  bool offered = false;
  int pulledMedium = 0;
  if (offer == Offer::PulledOther || offer == Offer::PulledSameShorter) {
    // In the middle of volume 2, on the second medium.
    host.onYield = [&, onSecond = 0](int) mutable {
      if (media.size() != 2 || pulledMedium != 0 || ++onSecond != 4) return;
      pulledMedium = drive.inserted();
      drive.Eject();
      if (offer == Offer::PulledSameShorter) {
        const std::filesystem::path volume = drive.Files(pulledMedium) / "DataBlock#2.Parcelbarge";
        std::filesystem::resize_file(volume, std::filesystem::file_size(volume) / 2);
      }
    };
  }
  for (int i = 0; i < 16; ++i) {
    user.Then(BoxButton::Ok, [&] {
      const std::string& text = user.shown().back().text;
      if (text == "Die Kopie ist fertig!" || text == kAnotherSet) return;
      if (!offered && offer == Offer::PulledSameShorter && pulledMedium != 0) {
        offered = true;
        insert(pulledMedium);
        return;
      }
      if (!offered && text == kNextDisketteBox && media.size() == 1 && offer != Offer::Fresh &&
          offer != Offer::PulledOther && offer != Offer::PulledSameShorter) {
        offered = true;
        const int medium = Fresh();
        if (offer == Offer::AnotherSet) {
          const std::vector<std::string> other = testing::ThreeVolumeSet(testing::RandomBytes(300000, 5));
          for (const auto& [name, bytes] : testing::DisketteOf(other, std::string(32, 'b'), 2)) {
            testing::WriteFile(drive.Files(medium) / name, bytes);
          }
        }
        // Clearing fails on it; the fresh medium after it is listed anew.
        if (offer == Offer::ReadOnly) testing::WriteFile(drive.Files(medium) / "alt.txt", "alt");
        if (offer == Offer::Full) testing::WriteFile(drive.Files(medium) / "voll.bin", std::string(1440 * 1024 - 8192, 'v'));
        insert(medium, offer == Offer::ReadOnly);
        return;
      }
      insert(Fresh());
    });
  }

  Runtime backup{fs, user, host, &release};
  const BackupOutcome outcome = testing::RunPlan(backup, plan);
  drive.Eject();

  ASSERT_EQ(outcome, BackupOutcome::Complete) << ::testing::PrintToString(user.texts());
  // The offer was made where the row says.
  EXPECT_EQ(pulledMedium != 0, offer == Offer::PulledOther || offer == Offer::PulledSameShorter);
  EXPECT_EQ(offered, offer != Offer::Fresh && offer != Offer::PulledOther);
  const std::vector<std::string> texts = user.texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), kAnotherSet), offer == Offer::AnotherSet && !clearing ? 1 : 0);
  EXPECT_EQ(std::count(texts.begin(), texts.end(),
                       "Das Zielverzeichnis kann nicht gelöscht werden.\rBitte überprüfen und OK drücken."),
            offer == Offer::ReadOnly && clearing ? 1 : 0);
  const testing::DecodedSet set = testing::DecodeSet(VolumesByRecords());
  ASSERT_EQ(set.files.size(), sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) EXPECT_EQ(set.files[i].data, sources[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Media, MediumChangeTable,
    ::testing::Combine(::testing::Values(MediaDrive::Paths::Same, MediaDrive::Paths::NewPerMedium),
                       ::testing::Values(OfferCase{"Fresh", Offer::Fresh}, OfferCase{"PulledOther", Offer::PulledOther},
                                         OfferCase{"PulledSameShorter", Offer::PulledSameShorter},
                                         OfferCase{"ReadOnly", Offer::ReadOnly},
                                         OfferCase{"AnotherSet", Offer::AnotherSet}, OfferCase{"Full", Offer::Full}),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<Row>& row) {
      return std::string(std::get<0>(row.param) == MediaDrive::Paths::Same ? "SamePath" : "NewPath") +
             std::get<1>(row.param).name + (std::get<2>(row.param) ? "Clearing" : "");
    });

}  // namespace
}  // namespace pb
