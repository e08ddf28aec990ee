#pragma once
// A file dropped on a widget as the desktop drops it: the drag enters, then
// the drop.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

// Sends the drag-enter and, when the widget accepts it, the drop of url (a
// link dragged from a browser). Answers whether the drag was accepted.
inline bool DropUrl(QWidget& target, const QUrl& url,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMimeData data;
  data.setUrls({url});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::NoButton, modifiers);
  QApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted())
    return false;
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::NoButton, modifiers);
  QApplication::sendEvent(&target, &drop);
  return true;
}

// The same for the local file at path.
inline bool DropFile(QWidget& target, const QString& path,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  return DropUrl(target, QUrl::fromLocalFile(path), modifiers);
}
