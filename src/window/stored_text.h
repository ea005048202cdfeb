// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>

namespace pb {

// Texts travel through the runs with the line breaks of the format's home
// platform ("\r\n", or a single "\r" in messages); Qt's widgets want "\n".
QString ToDisplayText(const std::string& stored);
std::string ToStoredText(const QString& display);

}  // namespace pb
