// SPDX-License-Identifier: GPL-3.0-or-later
#include "time_text.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace pb::cli {

namespace {

// Seconds of years 1 and 9999 from 1970, beyond which no text of four
// digits a year tells the time.
constexpr int64_t kFirst = -62135596800;
constexpr int64_t kLast = 253402300799;

bool Showable(const std::optional<FileStamp>& stamp) {
  return stamp && stamp->seconds >= kFirst && stamp->seconds <= kLast;
}

}  // namespace

std::string LocalTimeText(const std::optional<FileStamp>& stamp) {
  if (!Showable(stamp)) return "-";
  const auto seconds = static_cast<std::time_t>(stamp->seconds);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &seconds) != 0) return "-";
#else
  if (!localtime_r(&seconds, &local)) return "-";
#endif
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min);
  return text;
}

std::string UtcTimeText(const std::optional<FileStamp>& stamp) {
  if (!Showable(stamp)) return "-";
  using namespace std::chrono;
  const sys_seconds time{seconds{stamp->seconds}};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss<seconds> clock{time - day};
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%09dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()), stamp->nanoseconds);
  return text;
}

}  // namespace pb::cli
