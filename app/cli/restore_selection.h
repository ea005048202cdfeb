// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pb::cli {

// The stored names chosen by patterns (all names when there are none), and
// which patterns chose none, so a mistyped one is not taken for success.
// A pattern matches the name with or without its drive ("C:\"), or a
// directory above it, so a directory chooses everything below it. "*" stands
// for any text, "?" for one character; "/" and "\" both separate. Case
// counts as it counts in the system's names: not at all on Windows. A name
// that an exclusion matches in the same way is never chosen.
class PatternSelection {
 public:
  explicit PatternSelection(const std::vector<std::string>& patterns, const std::vector<std::string>& excludes = {});

  bool Chosen(const std::string& FileName);

  // The path below the restore's target for a chosen stored name, without the
  // drive and its first stripComponents directories; nullopt when the name is
  // not chosen or nothing is left of it.
  std::optional<std::string> PlaceBelowTarget(const std::string& FileName, int stripComponents);

  // The patterns, as given, that chose no name so far.
  std::vector<std::string> Unmatched() const;
  // The chosen names of which stripping left nothing so far.
  const std::vector<std::string>& StrippedAway() const { return strippedAway_; }

 private:
  struct Pattern {
    std::string given;
    std::string normalised;
    bool matched = false;
  };
  std::vector<Pattern> patterns_;
  std::vector<std::string> strippedAway_;
  std::vector<std::string> excludes_;  // normalised
};

}  // namespace pb::cli
