// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/stored_text.h"

namespace pb {

QString ToDisplayText(const std::string& stored) {
  QString text = QString::fromStdString(stored);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string ToStoredText(const QString& display) {
  QString text = display;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text.toStdString();
}

}  // namespace pb
