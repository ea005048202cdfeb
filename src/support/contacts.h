// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every address the program hands to the user or the shell, in one place.
namespace pb::contacts {

inline constexpr const char* kSupportEmail = "support@parcelbarge.example.org";
inline constexpr const char* kAuthorEmail = "autor@parcelbarge.example.org";
// Web addresses are kept without a scheme, as the user reads them; ShellOpen
// gives them one.
inline constexpr const char* kPublisherPage = "parcelbarge.example.org";
inline constexpr const char* kNewsPage = "parcelbarge.example.org/aktuelles.htm";
inline constexpr const char* kWebSite = "parcelbarge.example.org";

}  // namespace pb::contacts
