// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/records.h"

#include "store/bytes.h"
#include "store/windows1252.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

std::string LengthPrefixedText(std::string_view utf8) {
  const std::string text = ToWindows1252(utf8);
  if (text.size() > static_cast<std::size_t>(kMaxTextBytes)) Raise(kOverflow);
  return LongToBytes(static_cast<int32_t>(text.size()), 2) + text;
}

}  // namespace

std::string ArchiveHeaderBytes(const ArchiveHeader& header) {
  std::string magic = ToWindows1252(header.Magic);
  magic.resize(kMagicSize, ' ');
  return magic + LongToBytes(header.Major, 2) + LongToBytes(header.Minor, 2) + LongToBytes(header.Revision, 2) +
         LongToBytes(header.Reserved, 2) + LongToBytes(header.FileCount, 4) + LengthPrefixedText(header.Description);
}

std::string FileHeaderBytes(const FileHeader& header) {
  return LongToBytes(header.FileLength, 4) + LengthPrefixedText(header.FileName);
}

std::string FragmentHeaderBytes(const FragmentHeader& header) {
  return LongToBytes(header.NormalLen, 4) + LongToBytes(header.PackedLen, 4);
}

bool IsReadableVersion(int16_t Major, int16_t Minor) { return Major == 1 && (Minor == 0 || Minor == 1); }

std::string TextFromBytes(std::string_view bytes) { return FromWindows1252(bytes); }

}  // namespace pb
