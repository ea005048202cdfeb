// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/accessibles.h"

#include <QAccessibleWidget>
#include <QLabel>

#include "window/picture_link.h"

namespace pb {

namespace {

constexpr char kDecoration[] = "pbDecoration";

class PictureLinkAccessible : public QAccessibleWidget {
 public:
  explicit PictureLinkAccessible(PictureLink* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
  void doAction(const QString& action) override {
    auto* link = static_cast<PictureLink*>(widget());
    if (action == pressAction() && link->Click) {
      link->Click();
      return;
    }
    QAccessibleWidget::doAction(action);
  }
};

// Invisible to assistive technology, nameless and without children.
class DecorationAccessible : public QAccessibleWidget {
 public:
  explicit DecorationAccessible(QWidget* picture) : QAccessibleWidget(picture, QAccessible::Graphic) {}
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.invisible = true;
    return state;
  }
};

QAccessibleInterface* WindowAccessible(const QString&, QObject* object) {
  if (auto* link = dynamic_cast<PictureLink*>(object)) return new PictureLinkAccessible(link);
  if (auto* label = qobject_cast<QLabel*>(object); label && label->property(kDecoration).toBool()) {
    return new DecorationAccessible(label);
  }
  return nullptr;
}

}  // namespace

void InstallWindowAccessibles() {
  static const bool installed = [] {
    QAccessible::installFactory(WindowAccessible);
    return true;
  }();
  (void)installed;
}

void MarkAsDecoration(QLabel& picture) {
  InstallWindowAccessibles();
  picture.setProperty(kDecoration, true);
}

}  // namespace pb
