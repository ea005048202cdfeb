// SPDX-License-Identifier: GPL-3.0-or-later
#include "diskette.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "mount_namespace.h"

namespace pb::testing {

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
