// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "store/set_identity.h"
#include "store/stamp_record.h"
#include "support/file_system.h"

namespace pb {

// Finds the companion record of times and permissions for the set a reader
// goes through: fed each file's stored name in the set's order, it takes the
// record beside the last volume only when it was made for those very files.
class SetStamps {
 public:
  enum class Found {
    None,     // no record, or one of another set: the set is read as it is
    Damaged,  // a record that cannot be read
    Fits,
  };

  void FileBegun(const std::string& storedName) {
    names_.Add(storedName);
    ++fileCount_;
  }

  // The record in directory (ending in "\"), read once the set's last file
  // was read: it must be made for the very names read. Never throws.
  Found Load(FileSystem& fs, const std::string& directory);
  // The same before the set's last file: the names read are too few to tell,
  // so only the set identity of the medium in directory binds the record,
  // with the set's file count.
  Found LoadBeforeEnd(FileSystem& fs, const std::string& directory, int32_t setFileCount);
  const StampRecord& record() const { return record_; }
  // The stamp of the file with the 1-based number after Load found one.
  std::optional<FileStamp> FileStampOf(int number) const;

 private:
  // A whole, well-formed record, or why there is none; fits tells whether it
  // is this set's.
  Found Take(FileSystem& fs, const std::string& directory,
             const std::function<bool(const StampRecord&, const std::optional<SetIdentity>&)>& fits);

  NamesChecksum names_;
  std::size_t fileCount_ = 0;
  StampRecord record_;
};

}  // namespace pb
