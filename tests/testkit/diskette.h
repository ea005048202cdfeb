// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace pb::testing {

// A 1440 KiB tmpfs at a directory, mounted in a mount namespace of this test
// process's own, so nothing outside the test sees it.
class Diskette {
 public:
  // Mounts the first diskette; reason() says why when the system refuses.
  explicit Diskette(std::filesystem::path root);
  ~Diskette();
  Diskette(const Diskette&) = delete;
  Diskette& operator=(const Diskette&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& reason() const { return reason_; }

  // Takes the diskette out and puts in a fresh empty one.
  void Change();
  // Takes the diskette out, even while files on it are open: their handles
  // lose it. The drive stays empty until Insert.
  void Remove();
  // Puts in a fresh empty diskette.
  void Insert();

 private:
  void Mount();

  std::filesystem::path root_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace pb::testing
