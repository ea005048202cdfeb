// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli backup as a script meets it: real files, real exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "set_reader.h"
#include "temp_dir.h"

namespace pb::testing {
namespace {

struct Outcome {
  int status = -1;
  std::string err;
};

// Runs the tool with its input at its end from the start.
Outcome RunBackup(const TempDir& dir, const std::string& args) {
  const std::string command =
      "'" PB_CLI_PATH "' backup " + args + " </dev/null >/dev/null 2>'" + (dir / "err").string() + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir / "err")};
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

TEST(BackupProgram, WritesFullVolumesOf1423KThatAFreshReaderDecodes) {
  TempDir dir;
  const std::vector<std::pair<std::string, std::string>> files = {
      {"quelle/eins.bin", RandomBytes(1800000, 1)},
      {"quelle/leer.txt", ""},
      {"quelle/Unter/zwei.bin", RandomBytes(2500000, 2)},
      {"quelle/Unter/text.txt", std::string(300000, 't')},
  };
  for (const auto& [name, bytes] : files) WriteFile(dir / name, bytes);
  std::filesystem::create_directory(dir / "ziel");

  const Outcome outcome =
      RunBackup(dir, "--volume-size 1423K --description Test " + Quoted(dir / "ziel") + " " + Quoted(dir / "quelle"));

  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("Die Kopie ist fertig!"), std::string::npos);
  const std::vector<std::string> volumes = ReadVolumes(dir / "ziel");
  ASSERT_GE(volumes.size(), 3u);
  for (std::size_t i = 0; i + 1 < volumes.size(); ++i) EXPECT_GE(volumes[i].size(), 1457152u) << i + 1;
  const DecodedSet set = DecodeSet(volumes);
  EXPECT_EQ(set.description, "Test");
  // The walk lists a directory's files first, then its subdirectories.
  const std::vector<std::size_t> order = {0, 1, 3, 2};
  ASSERT_EQ(set.files.size(), files.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    std::string suffix = "\\" + files[order[i]].first;
    std::replace(suffix.begin(), suffix.end(), '/', '\\');
    const std::string& name = set.files[i].name;
    EXPECT_TRUE(name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        << name;
    EXPECT_EQ(set.files[i].data, files[order[i]].second) << name;
  }
}

}  // namespace
}  // namespace pb::testing
