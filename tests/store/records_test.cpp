// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/records.h"

#include <gtest/gtest.h>

#include "store/bytes.h"
#include "store/zlib_interface.h"
#include "support/run_time_error.h"

namespace pb {
namespace {

// The head of a set with the description "Test" and one file C:\a.txt of 5
// bytes, put together from the three records as the writer does.
TEST(Records, ExampleSetByteForByte) {
  ArchiveHeader archive;
  archive.FileCount = 1;
  archive.Description = "Test";
  FileHeader file{5, "C:\\a.txt"};
  std::string payload = "Hallo";
  ASSERT_EQ(ZlibCompressString(payload), 0);
  const int32_t P = static_cast<int32_t>(payload.size());
  const std::string set = ArchiveHeaderBytes(archive) + FileHeaderBytes(file) +
                          FragmentHeaderBytes({5, P}) + payload;

  ASSERT_EQ(set.size(), 56u + P);
  EXPECT_EQ(set.substr(0, 16), "ZK's Parcelbarge");
  EXPECT_EQ(set.substr(16, 8), std::string("\x01\x00\x01\x00\x02\x00\x00\x00", 8));
  EXPECT_EQ(set.substr(24, 4), std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(set.substr(28, 2), std::string("\x04\x00", 2));
  EXPECT_EQ(set.substr(30, 4), "Test");
  EXPECT_EQ(set.substr(34, 4), std::string("\x05\x00\x00\x00", 4));
  EXPECT_EQ(set.substr(38, 2), std::string("\x08\x00", 2));
  EXPECT_EQ(set.substr(40, 8), "C:\\a.txt");
  EXPECT_EQ(set.substr(48, 4), std::string("\x05\x00\x00\x00", 4));
  EXPECT_EQ(Int32FromBytes(std::string_view(set).substr(52, 4)), P);

  // The payload is one zlib stream at default level that gives the bytes back.
  std::string stored = set.substr(56);
  EXPECT_EQ(stored.substr(0, 2), "\x78\x9C");
  ASSERT_EQ(ZlibDecompressString(stored, 5), 0);
  EXPECT_EQ(stored, "Hallo");
}

TEST(Records, OffsetsMatchTheLayout) {
  ArchiveHeader archive;
  archive.FileCount = 0x01020304;
  archive.Description = "xy";
  const std::string bytes = ArchiveHeaderBytes(archive);
  const std::string_view view(bytes);
  EXPECT_EQ(view.substr(0, kMagicSize), kMagic);
  EXPECT_EQ(Int16FromBytes(view.substr(kMajorOffset, 2)), kMajor);
  EXPECT_EQ(Int16FromBytes(view.substr(kMinorOffset, 2)), kMinor);
  EXPECT_EQ(Int16FromBytes(view.substr(kRevisionOffset, 2)), kRevision);
  EXPECT_EQ(Int16FromBytes(view.substr(kReservedOffset, 2)), 0);
  EXPECT_EQ(Int32FromBytes(view.substr(kFileCountOffset, 4)), 0x01020304);
  EXPECT_EQ(Int16FromBytes(view.substr(kDescriptionLengthOffset, 2)), 2);
  EXPECT_EQ(view.substr(kDescriptionOffset), "xy");
  EXPECT_EQ(FragmentHeaderBytes({kFragmentSize, 7}).size(), static_cast<std::size_t>(kFragmentHeaderSize));
  EXPECT_EQ(FileHeaderBytes({0, ""}).size(), static_cast<std::size_t>(kFileHeaderFixedSize));
}

TEST(Records, EmptyDescriptionPutsFirstFileHeaderAtThirty) {
  ArchiveHeader archive;
  archive.FileCount = 2;
  const std::string head = ArchiveHeaderBytes(archive);
  ASSERT_EQ(head.size(), static_cast<std::size_t>(kDescriptionOffset));
  EXPECT_EQ(head.substr(kDescriptionLengthOffset), std::string("\x00\x00", 2));
  // An empty file: its header and the next one follow each other directly.
  const std::string files = FileHeaderBytes({0, "C:\\leer"}) + FileHeaderBytes({3, "C:\\b"});
  EXPECT_EQ(files, std::string("\x00\x00\x00\x00\x07\x00" "C:\\leer" "\x03\x00\x00\x00\x04\x00" "C:\\b", 6 + 7 + 6 + 4));
}

TEST(Records, MagicIsAlwaysSixteenBytes) {
  ArchiveHeader archive;
  archive.Magic = "kurz";
  EXPECT_EQ(ArchiveHeaderBytes(archive).substr(0, 16), "kurz            ");
  archive.Magic = "viel zu lang fuer das Feld";
  const std::string bytes = ArchiveHeaderBytes(archive);
  EXPECT_EQ(bytes.substr(0, 16), "viel zu lang fue");
  EXPECT_EQ(bytes.size(), 30u);
}

TEST(Records, TextIsStoredInTheCodePageWithItsStoredLength) {
  FileHeader file{1, "C:\\Gr\u00FC\u00DFe\\\u20AC.txt"};
  const std::string bytes = FileHeaderBytes(file);
  EXPECT_EQ(Int16FromBytes(std::string_view(bytes).substr(4, 2)), 14);
  EXPECT_EQ(bytes.substr(6), "C:\\Gr\xFC\xDF" "e\\\x80.txt");
  EXPECT_EQ(TextFromBytes(bytes.substr(6)), file.FileName);
}

TEST(Records, TextLongerThanTheLengthFieldIsRefused) {
  ArchiveHeader archive;
  archive.Description = std::string(32767, 'a');
  const std::string bytes = ArchiveHeaderBytes(archive);
  EXPECT_EQ(bytes.substr(kDescriptionLengthOffset, 2), "\xFF\x7F");
  EXPECT_EQ(bytes.size(), 30u + 32767u);

  // 32768 stored bytes, though the UTF-8 form is longer still.
  const std::string tooLong = std::string(32767, 'a') + "\u00E4";
  try {
    FileHeaderBytes({0, tooLong});
    FAIL() << "a length that does not fit into Int16 was written";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.code(), kOverflow);
  }
  // Counted in stored bytes: 20000 umlauts are 40000 UTF-8 bytes but fit.
  std::string umlauts;
  for (int i = 0; i < 20000; ++i) umlauts += "\u00E4";
  EXPECT_EQ(FileHeaderBytes({0, umlauts}).size(), 6u + 20000u);
}

TEST(Records, ReadableVersions) {
  EXPECT_TRUE(IsReadableVersion(1, 1));
  EXPECT_TRUE(IsReadableVersion(1, 0));
  EXPECT_FALSE(IsReadableVersion(1, 2));
  EXPECT_FALSE(IsReadableVersion(2, 1));
  EXPECT_FALSE(IsReadableVersion(0, 1));
  EXPECT_FALSE(IsReadableVersion(1, -1));
}

}  // namespace
}  // namespace pb
