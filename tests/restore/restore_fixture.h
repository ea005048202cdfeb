// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "restore/probe_display.h"
#include "restore/probe_archive.h"
#include "restore/read_archive.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "set_builder.h"
#include "test_drives.h"

namespace pb::testing {

inline constexpr const char* kArchiveBox =
    "Auf das Archiv kann kann nicht zugegriffen werden.\rBitte überprüfen und OK drücken.";
inline constexpr const char* kConfirmBox = "Wollen Sie den Vorgang wirklich abbrechen?";
inline constexpr const char* kNextDiskBox =
    "Bitte den nächsten Datenträger dieses Sicherungssatzes\reinlegen und auf OK klicken.";
inline constexpr const char* kTargetNotReadyBox =
    "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte prüfen und auf OK klicken.";
inline constexpr const char* kDiskFullBox = "Der Datenträger ist voll! Die Wiederherstellung wird daher abgebrochen.";
inline constexpr const char* kDecompressTitle = "ZlibDecompressString(Buffer, FragmentHeader.NormalLen)";

// Every regular file below root with its content, by path relative to root.
inline std::map<std::string, std::string> TreeOf(const std::filesystem::path& root) {
  std::map<std::string, std::string> tree;
  if (!std::filesystem::exists(root)) return tree;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) tree[GenericUtf8(std::filesystem::relative(entry.path(), root))] = ReadFile(entry.path());
  }
  return tree;
}

// Compares a tree with what it should hold, naming files and sizes only: the
// contents are binary.
inline ::testing::AssertionResult TreeIs(const std::filesystem::path& root,
                                         const std::map<std::string, std::string>& expected) {
  const std::map<std::string, std::string> actual = TreeOf(root);
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto describe = [](const std::map<std::string, std::string>& tree) {
    std::string text;
    for (const auto& [name, content] : tree) text += " " + name + " (" + std::to_string(content.size()) + " bytes)";
    return text.empty() ? std::string(" nothing") : text;
  };
  return ::testing::AssertionFailure() << "holds" << describe(actual) << "; expected" << describe(expected)
                                       << " (contents may differ)";
}

// Compares a file's bytes, naming the first difference rather than printing
// binary contents.
inline ::testing::AssertionResult FileIs(const std::filesystem::path& file, const std::string& expected) {
  if (!std::filesystem::exists(file)) return ::testing::AssertionFailure() << file << " does not exist";
  const std::string actual = ReadFile(file);
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << file << " holds " << actual.size() << " bytes, expected "
                                       << expected.size() << "; first difference at offset " << at;
}

// The volumes of a set of two files, the first one's 300000 bytes in
// fragments over three volumes, then small.
inline std::vector<std::string> ThreeVolumeSet(const std::string& data, const std::string& small = "klein") {
  SetBuilder set;
  set.Header(2)
      .File(static_cast<int32_t>(data.size()), "C:\\gross.bin")
      .Fragment(data.substr(0, 131072))
      .Cut()
      .Fragment(data.substr(131072, 131072))
      .Cut()
      .Fragment(data.substr(262144))
      .FileWithData("C:\\klein.txt", small);
  return set.volumes();
}

// A set in D:\Sich restored to C:\Rueck over real temporary directories.
class RestoreTest : public ::testing::Test {
 protected:
  std::filesystem::path SetDir() { return drives.Native("D:\\Sich"); }
  std::filesystem::path TargetDir() { return drives.Native("C:\\Rueck"); }

  // The probe sees the set as it is; fs may break the restore run.
  RestoreOutcome Restore(FileSystem& fs, const std::string& target = "C:\\Rueck") {
    ProbeDisplay view("D:\\Sich");
    ProbeArchive(view, drives.fs(), probe);
    EXPECT_TRUE(view.restoreEnabled);
    Runtime runtime{fs, boxes, host};
    return ReadArchive(runtime, probe, "D:\\Sich", target);
  }
  RestoreOutcome Restore() { return Restore(drives.fs()); }
  // A restore that must end the program: the status it ends with, -1 when
  // it returned instead.
  int EndingRestore(FileSystem& fs) {
    try {
      Restore(fs);
    } catch (const ProgramEnded& end) {
      return end.exitStatus;
    }
    return -1;
  }
  int EndingRestore() { return EndingRestore(drives.fs()); }

  TestDrives drives;
  ScriptedBoxes boxes;
  ScriptedHost host;
  ProbeResults probe;
};

}  // namespace pb::testing
