// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/file_list_data.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

namespace pb {

namespace {

// Web addresses, pictures and the like are not the desktop's file list.
QStringList LocalFiles(const QList<QUrl>& urls) {
  QStringList paths;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) return {};
    paths << url.toLocalFile();
  }
  return paths;
}

QString PathOfLine(const QString& line) {
  if (line.startsWith(QLatin1String("file:"))) return LocalFiles({QUrl(line)}).value(0);
  return QDir::isAbsolutePath(line) ? line : QString();
}

}  // namespace

QStringList DroppedPaths(const QMimeData& data) { return data.hasUrls() ? LocalFiles(data.urls()) : QStringList(); }

QStringList PastedPaths(const QMimeData& data) {
  if (data.hasUrls()) return DroppedPaths(data);
  QStringList paths;
  for (const QString& line : data.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty()) continue;
    const QString path = PathOfLine(trimmed);
    if (path.isEmpty()) return {};
    paths << path;
  }
  return paths;
}

}  // namespace pb
