// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the set probe and the restore run with whole sets: the input is cut
// into volumes at each occurrence of a marker. A run must end without a crash,
// must not keep asking, and must write nothing outside its target.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "restore/probe_archive.h"
#include "restore/probe_display.h"
#include "restore/read_archive.h"
#include "test_drives.h"

namespace {

constexpr std::string_view kVolumeMarker = "#VOL#";

struct ProgramEnded {};

// OK twice, then Cancel and Yes; never more than a bounded number of boxes.
class Answers : public pb::MessageBoxes {
 public:
  pb::BoxButton Show(const pb::MessageBox& box) override {
    if (++shown_ > 1000) std::abort();
    if (box.buttons == pb::BoxButtons::YesNo) return pb::BoxButton::Yes;
    if (box.buttons == pb::BoxButtons::Ok) return pb::BoxButton::Ok;
    return shown_ % 3 == 0 ? pb::BoxButton::Cancel : pb::BoxButton::Ok;
  }

 private:
  int shown_ = 0;
};

class Host : public pb::Host {
 public:
  void Yield() override {}
  void Beep() override {}
  [[noreturn]] void EndProgram(int) override { throw ProgramEnded{}; }
};

bool OnlySetAndTarget(const std::filesystem::path& base) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
    const std::string relative = std::filesystem::relative(entry.path(), base).string();
    if (relative.size() <= 1 || relative == "C/Rueck" || relative.rfind("C/Rueck/", 0) == 0 || relative == "D/Sich" ||
        relative.rfind("D/Sich/DataBlock#", 0) == 0) {
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  pb::testing::TestDrives drives;
  int volume = 1;
  for (std::size_t start = 0;; ++volume) {
    const std::size_t end = input.find(kVolumeMarker, start);
    pb::testing::WriteFile(drives.Native("D:\\Sich") / ("DataBlock#" + std::to_string(volume) + ".Parcelbarge"),
                           std::string(input.substr(start, end - start)));
    if (end == std::string_view::npos) break;
    start = end + kVolumeMarker.size();
  }
  pb::ProbeDisplay display("D:\\Sich");
  pb::ProbeResults results;
  ProbeArchive(display, drives.fs(), results);
  if (display.restoreEnabled) {
    Answers answers;
    Host host;
    pb::Runtime runtime{drives.fs(), answers, host};
    try {
      ReadArchive(runtime, results, "D:\\Sich", "C:\\Rueck");
    } catch (const ProgramEnded&) {
      drives.fs().CloseAll();
    }
  }
  if (!OnlySetAndTarget(drives.Root('C').parent_path())) std::abort();
  return 0;
}
