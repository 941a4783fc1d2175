#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace kinoloom {

class CoalescedRefresh;
class StudioModel;

// What one confirmation of the main window asks and what its answers call.
struct Confirmation
{
    struct Button
    {
        QString title;
        QMessageBox::ButtonRole role; // RejectRole: the answer of Escape and of closing the box
        std::function<void(StudioModel &)> action; // none: the box only closes
    };

    QString objectName;
    QString title;
    std::function<QString(const StudioModel &)> message;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QList<Button> buttons;
    // The session's flag that opens it and that closing it clears.
    bool (StudioModel::*shown)() const = nullptr;
    void (StudioModel::*setShown)(bool) = nullptr;
    void (StudioModel::*shownChanged)() = nullptr;

    static Confirmation cacheClear();
    static Confirmation lowSpace();
    static Confirmation resume();
};

// Shows a confirmation as a plain-text message box over `window` (opened, never run in a loop
// of its own) while the session's flag is set. An answer first clears the flag, then calls the
// button's action, so an action that raises the flag again opens a new box.
class ConfirmationPresenter : public QObject
{
    Q_OBJECT

public:
    ConfirmationPresenter(StudioModel *model, QWidget *window, Confirmation confirmation);

    QMessageBox *box() const { return m_box; }
    const QString &title() const { return m_confirmation.title; }
    // The button titled `title` of the open box.
    QAbstractButton *button(const QString &title) const;

private:
    void update();
    void finished();

    QPointer<StudioModel> m_model;
    QPointer<QWidget> m_window;
    Confirmation m_confirmation;
    QPointer<QMessageBox> m_box;
    CoalescedRefresh *m_refresh;
    bool m_closing = false;
};

} // namespace kinoloom
