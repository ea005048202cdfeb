// SPDX-License-Identifier: GPL-3.0-or-later
#include "mount_namespace.h"

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace pb::testing {

namespace {

bool WriteProcFile(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

std::string EnterPrivateMountNamespace() {
  static std::string reason = [] {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (unshare(CLONE_NEWNS) != 0) {
      if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return std::string("unshare: ") + std::strerror(errno);
      WriteProcFile("/proc/self/setgroups", "deny");
      if (!WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n") ||
          !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1\n")) {
        return std::string("cannot map the user into its namespace");
      }
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return std::string("mount --make-rprivate: ") + std::strerror(errno);
    }
    return std::string();
  }();
  return reason;
}

}  // namespace pb::testing
