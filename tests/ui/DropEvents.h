#pragma once

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace kinoloom::test {

// What a drop onto a widget would do on a desktop: the enter, one move and the drop itself, sent
// straight to `target`. Returns whether the drop was accepted; a refused enter ends it there.
inline bool drop(QWidget *target, const QMimeData &data)
{
    const QPoint at = target->rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

inline bool dropText(QWidget *target, const QString &text)
{
    QMimeData data;
    data.setText(text);
    return drop(target, data);
}

inline bool dropURLs(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    return drop(target, data);
}

// A file drag that has entered `target` and hovers there.
inline void hoverURLs(QWidget *target, const QMimeData &data)
{
    QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
}

} // namespace kinoloom::test
