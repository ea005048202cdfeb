// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore_selection.h"

#include <algorithm>

#include "platform/drive_table.h"
#include "restore/create_target_file.h"

namespace pb::cli {

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Glob match of a whole text; "?" takes one UTF-8 character.
bool Matches(std::string_view pattern, std::string_view text) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      const bool any = pattern[p] == '?';
      ++p;
      ++t;
      while (any && t < text.size() && IsContinuation(text[t])) ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// The name or one of the directories above it.
bool MatchesOrIsBelow(const std::string& pattern, const std::string& name) {
  for (std::size_t end = name.find('\\'); end != std::string::npos; end = name.find('\\', end + 1)) {
    if (Matches(pattern, std::string_view(name).substr(0, end))) return true;
  }
  return Matches(pattern, name);
}

// Case counts as the system's names count it.
std::string Normalised(std::string pattern) {
  std::replace(pattern.begin(), pattern.end(), '/', '\\');
  while (pattern.size() > 1 && pattern.back() == '\\') pattern.pop_back();
  return NameComparisonForm(pattern);
}

}  // namespace

PatternSelection::PatternSelection(const std::vector<std::string>& patterns, const std::vector<std::string>& excludes) {
  for (const std::string& given : patterns) patterns_.push_back({given, Normalised(given), false});
  for (const std::string& given : excludes) excludes_.push_back(Normalised(given));
}

bool PatternSelection::Chosen(const std::string& FileName) {
  const std::string name = NameComparisonForm(FileName);
  const std::string belowDrive = TargetPathFor("", name);
  bool chosen = patterns_.empty();
  // Every pattern is tried, so each one that matches counts as used.
  for (Pattern& pattern : patterns_) {
    if (MatchesOrIsBelow(pattern.normalised, name) || MatchesOrIsBelow(pattern.normalised, belowDrive)) {
      pattern.matched = chosen = true;
    }
  }
  return chosen && std::none_of(excludes_.begin(), excludes_.end(), [&](const std::string& exclude) {
           return MatchesOrIsBelow(exclude, name) || MatchesOrIsBelow(exclude, belowDrive);
         });
}

std::optional<std::string> PatternSelection::PlaceBelowTarget(const std::string& FileName, int stripComponents) {
  if (!Chosen(FileName)) return std::nullopt;
  std::string place = TargetPathFor("", FileName);
  for (int i = 0; i < stripComponents; ++i) {
    const std::size_t separator = place.find('\\');
    if (separator == std::string::npos) {
      strippedAway_.push_back(FileName);
      return std::nullopt;
    }
    place.erase(0, separator + 1);
  }
  return place;
}

std::vector<std::string> PatternSelection::Unmatched() const {
  std::vector<std::string> unmatched;
  for (const Pattern& pattern : patterns_) {
    if (!pattern.matched) unmatched.push_back(pattern.given);
  }
  return unmatched;
}

}  // namespace pb::cli
