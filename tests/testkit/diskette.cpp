// SPDX-License-Identifier: GPL-3.0-or-later
#include "diskette.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace pb::testing {

namespace {

bool WriteProcFile(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  return static_cast<bool>(out.flush());
}

// An own mount namespace; without privileges, inside an own user namespace
// that maps the caller to root.
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

}  // namespace

Diskette::Diskette(std::filesystem::path root) : root_(std::move(root)) {
  reason_ = EnterPrivateMountNamespace();
  if (reason_.empty()) Mount();
}

Diskette::~Diskette() {
  if (mounted_) umount2(root_.c_str(), MNT_DETACH);
}

void Diskette::Mount() {
  if (mount("tmpfs", root_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1440k,mode=0777") != 0) {
    reason_ = std::string("mount tmpfs: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

void Diskette::Remove() {
  if (!mounted_) return;
  if (umount2(root_.c_str(), MNT_DETACH) != 0) throw std::runtime_error(std::string("umount: ") + std::strerror(errno));
  mounted_ = false;
}

void Diskette::Insert() {
  Mount();
  if (!mounted_) throw std::runtime_error(reason_);
}

void Diskette::Change() {
  if (umount2(root_.c_str(), 0) != 0) throw std::runtime_error(std::string("umount: ") + std::strerror(errno));
  mounted_ = false;
  Insert();
}

}  // namespace pb::testing
