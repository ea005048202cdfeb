// SPDX-License-Identifier: GPL-3.0-or-later
// The release through udisks2, on a system bus of the test's own (a real
// dbus-daemon) with a stand-in for the daemon (python3-dbusmock) whose
// Unmount really unmounts, in the test's mount namespace.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "media_drive.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_medium_release.h"
#include "temp_dir.h"

extern char** environ;

namespace pb {
namespace {

const std::filesystem::path kStandIn = PB_UDISKS2_STAND_IN_DIR;

// A process of the test's own, ended with the test.
class Child {
 public:
  explicit Child(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~Child() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

bool Succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 50; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

TEST(UdisksReleaseTest, FullMediumIsUnmountedThroughTheDiskService) {
  testing::TempDir dir;
  testing::MediaDrive drive(dir.path());
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  if (!Succeeds("command -v dbus-daemon")) GTEST_SKIP() << "dbus-daemon is missing (package dbus)";
  if (!Succeeds("/usr/bin/python3 -c 'import dbusmock'")) GTEST_SKIP() << "python3-dbusmock is missing";
  drive.Insert(drive.NewMedium());
  struct stat medium {};
  ASSERT_EQ(stat(drive.mountPath().c_str(), &medium), 0);

  const std::filesystem::path socket = dir.path() / "system_bus_socket";
  std::string config = testing::ReadFile(kStandIn / "system.conf.in");
  config.replace(config.find("@SOCKET@"), 8, socket.string());
  testing::WriteFile(dir.path() / "system.conf", config);
  Child bus({"dbus-daemon", "--nofork", "--config-file=" + (dir.path() / "system.conf").string()});
  ASSERT_TRUE(bus.started());
  ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(socket); })) << "the bus did not start";
  setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1);

  const std::filesystem::path calls = dir.path() / "calls.log";
  Child service({"/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                 (kStandIn / "udisks2_stand_in.py").string(), "-l", calls.string(), "-p",
                 "{\"device\": " + std::to_string(medium.st_dev) + ", \"mount\": \"" + drive.mountPath().string() + "\"}"});
  ASSERT_TRUE(service.started());
  ASSERT_TRUE(Eventually([] {
    return Succeeds("dbus-send --system --reply-timeout=500 --print-reply --dest=org.freedesktop.UDisks2 /org/freedesktop/UDisks2 "
                    "org.freedesktop.DBus.Peer.Ping");
  })) << "the stand-in did not come up";

  PosixFileSystem fs(drive.Drives());
  PosixMediumRelease release(fs);
  EXPECT_TRUE(release.Release("A:\\"));
  EXPECT_FALSE(drive.StillMounted());
  EXPECT_NE(testing::ReadFile(calls).find("Unmount"), std::string::npos) << "asked of the service, not done alone";
}

}  // namespace
}  // namespace pb
