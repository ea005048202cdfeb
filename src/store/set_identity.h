// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pb {

// The identity record beside the volumes on a medium: which set they belong
// to and, for each volume on that medium, its number, length and checksum.
// The volumes themselves stay exactly as the format has them; a reader that
// does not know the record passes it by. It is plain text, one line each:
//
//   Parcelbarge-Kennung 1
//   Satz <32 hex digits, random per backup run>
//   Reparaturbände 2            (only for a set that gets repair volumes)
//   Band 00001 0001457182 <32 hex digits, XXH3-128 of the volume> weiter
//   Reparatur Reparatur#1.Parcelbarge 0001457182 <32 hex digits>
//
// Lines of a kind this version does not know are passed by, so later kinds
// can be added without hiding the volumes from it.
// Every line of a version has a fixed width, so a record rewritten with the
// same volumes has the same size: on a full diskette it can be completed in
// the space reserved for it when the volume was opened.
inline constexpr std::string_view kIdentityFileName = "Parcelbarge-Kennung.txt";

enum class VolumeState {
  Open,     // being written: a run that ended here was killed
  More,     // closed; the set goes on on the next volume
  Last,     // closed; the last volume of a complete set
  GivenUp,  // closed; the run was given up after it, the set is incomplete
};

struct VolumeEntry {
  int16_t number = 0;
  VolumeState state = VolumeState::Open;
  int64_t length = 0;     // not known while Open
  std::string checksum;   // VolumeChecksum::Hex of the volume's bytes; not known while Open
};

// A repair volume's file on the medium, written whole before it is listed.
struct RepairFileEntry {
  std::string name;
  int64_t length = 0;
  std::string checksum;
};

struct SetIdentity {
  std::string setId;  // 32 lower-case hex digits
  std::vector<VolumeEntry> volumes;
  std::vector<RepairFileEntry> repairFiles = {};  // after the volumes
  int repairRows = 0;  // repair volumes per group the set gets; 0 for none

  const VolumeEntry* Find(int16_t number) const;
  VolumeEntry& Put(const VolumeEntry& entry);  // replaces the entry of its number
  void Remove(int16_t number);
};

std::string IdentityRecordBytes(const SetIdentity& identity);
// Its parts: the lines before the volumes' lines, and one repair volume's
// line without its end. A writer that changes one entry rewrites only its
// line: every volume line has the same width.
std::string RecordHeadBytes(const SetIdentity& identity);
std::string RepairFileLine(const RepairFileEntry& entry);
// nullopt for anything but a well-formed record of a version this program
// knows: such a record is passed by like a missing one.
std::optional<SetIdentity> ParseIdentityRecord(std::string_view bytes);

// One volume's line, without its end, as the record and the repair volumes
// have it; nullopt for anything but a well-formed one.
std::string VolumeLine(const VolumeEntry& entry);
std::optional<VolumeEntry> ParseVolumeLine(const std::string& line);

// A fresh random set identity.
std::string NewSetId();

// XXH3-128 of a volume's bytes, fed in any number of pieces.
class VolumeChecksum {
 public:
  VolumeChecksum();
  ~VolumeChecksum();
  VolumeChecksum(const VolumeChecksum&) = delete;
  VolumeChecksum& operator=(const VolumeChecksum&) = delete;

  void Update(std::string_view bytes);
  // 32 lower-case hex digits of the bytes so far.
  std::string Hex() const;

 private:
  struct State;
  State* state_;
};

}  // namespace pb
