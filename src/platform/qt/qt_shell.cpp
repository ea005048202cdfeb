// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <cctype>

#include "support/run_time_error.h"

namespace pb {

namespace {

bool IsDriveForm(const std::string& target) {
  return target.size() >= 2 && target[1] == ':' && std::isalpha(static_cast<unsigned char>(target[0])) != 0 &&
         (target.size() == 2 || target[2] == '\\');
}

}  // namespace

QUrl ShellTargetUrl(FileSystem& fs, const std::string& target) {
  if (IsDriveForm(target)) {
    try {
      return QUrl::fromLocalFile(QString::fromStdString(fs.ToNative(target)));
    } catch (const RunTimeError&) {
      return {};
    }
  }
  const QString text = QString::fromStdString(target);
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
  if (scheme.match(text).hasMatch()) return QUrl(text);
  return QUrl(QStringLiteral("https://") + text);
}

void QtShell::ShellOpen(const std::string& target, int /*showMode*/) {
  const QUrl url = ShellTargetUrl(fs_, target);
  // A handler that starts and then fails reports that itself.
  if (!url.isValid() || QDesktopServices::openUrl(url)) return;
  const QString what = url.isLocalFile() ? QStringLiteral("Die Datei \"%1\"").arg(url.toLocalFile())
                       : url.scheme() == QLatin1String("mailto")
                           ? QStringLiteral("Die E-Mail-Adresse \"%1\"").arg(url.path())
                           : QStringLiteral("Die Adresse \"%1\"").arg(url.toString());
  boxes_.Show(MessageBox{.text = (what + QString::fromUtf8(" kann nicht geöffnet werden: Auf diesem System ist "
                                                            "kein Programm dafür eingerichtet."))
                                     .toStdString(),
                         .icon = BoxIcon::Critical});
}

}  // namespace pb
