#pragma once

#include "model/RecentProject.h"

#include <QAbstractButton>

class QMenu;

namespace kinoloom {

// One recent project on the welcome screen: its name, its folder (shortened in the middle)
// and the day it was last changed, clickable across the whole row. Its context menu reveals
// the folder in the file manager.
class RecentProjectRow : public QAbstractButton
{
    Q_OBJECT

public:
    explicit RecentProjectRow(const RecentProject &entry, QWidget *parent = nullptr);

    const RecentProject &entry() const { return m_entry; }
    // The row's context menu ("Reveal in file manager"), made anew; the caller owns it.
    QMenu *makeMenu();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void revealRequested(const QString &path);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void showMenu(const QPoint &position);

    RecentProject m_entry;
    bool m_hovered = false;
};

} // namespace kinoloom
