// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pb {

// The three records of a backup set. Text fields hold UTF-8 in memory and are
// stored in Windows-1252 (store/windows1252.h); integers are little-endian
// (store/bytes.h). There is no padding anywhere.

inline constexpr std::string_view kMagic = "ZK's Parcelbarge";
inline constexpr int16_t kMajor = 1;
inline constexpr int16_t kMinor = 1;
inline constexpr int16_t kRevision = 2;

// Largest number of file bytes one fragment stands for.
inline constexpr int32_t kFragmentSize = 131072;

// Byte offsets and sizes of the fixed parts, for readers going field by field.
inline constexpr int kMagicSize = 16;
inline constexpr int kMajorOffset = 16;
inline constexpr int kMinorOffset = 18;
inline constexpr int kRevisionOffset = 20;
inline constexpr int kReservedOffset = 22;
inline constexpr int kFileCountOffset = 24;
inline constexpr int kDescriptionLengthOffset = 28;
inline constexpr int kDescriptionOffset = 30;
inline constexpr int kFileHeaderFixedSize = 6;  // FileLength and the name's length
inline constexpr int kFragmentHeaderSize = 8;

// Longest text a length field can announce.
inline constexpr int32_t kMaxTextBytes = INT16_MAX;

struct ArchiveHeader {
  std::string Magic{kMagic};  // always 16 bytes on disk: cut or padded with spaces
  int16_t Major = kMajor;
  int16_t Minor = kMinor;
  int16_t Revision = kRevision;
  int16_t Reserved = 0;
  int32_t FileCount = 0;
  std::string Description;
};

struct FileHeader {
  int32_t FileLength = 0;
  std::string FileName;  // drive form, e.g. C:\Daten\Brief.doc
};

struct FragmentHeader {
  int32_t NormalLen = 0;
  int32_t PackedLen = 0;
};

// Each record's exact bytes, so the writer puts it out with one write. Text
// that needs more than kMaxTextBytes bytes raises RunTimeError(kOverflow)
// rather than writing a length the reader would misread; characters outside
// the code page are stored as "?" (check first with
// IsWindows1252Representable where that matters).
std::string ArchiveHeaderBytes(const ArchiveHeader& header);
std::string FileHeaderBytes(const FileHeader& header);
std::string FragmentHeaderBytes(const FragmentHeader& header);

// The version check readers apply to Major and Minor.
bool IsReadableVersion(int16_t Major, int16_t Minor);

// A text field as read from a set, back to the program's UTF-8.
std::string TextFromBytes(std::string_view bytes);

}  // namespace pb
