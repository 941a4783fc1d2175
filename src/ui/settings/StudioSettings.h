#pragma once

#include "ui/shell/SheetPresenter.h"

#include <QPointer>
#include <QWidget>

class QTabWidget;

namespace kinoloom {

class AccountSettingsTab;
class Appearance;
class AttentionAlert;
class StudioModel;

// The content of the settings window: four tabs (General, Advanced, Tools, Accounts), disabled
// as a whole while a job runs. While the window shows, it also presents the automated-run and
// rename sheets on the session's flags, as the main window does, and the session's alert, so
// that what a sheet here refuses is said above it. A hidden settings window presents nothing.
class StudioSettings : public QWidget
{
    Q_OBJECT

public:
    StudioSettings(StudioModel *model, Appearance *appearance, QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }
    // This window's presenter of `sheet` and its alert; null while the window is hidden.
    SheetPresenter *sheet(Sheet sheet) const;
    AttentionAlert *alert() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    StudioModel *m_model;
    QTabWidget *m_tabs;
    AccountSettingsTab *m_accounts;
    // The window's sheet presenters and alert, alive while it shows.
    QPointer<QObject> m_presentations;
};

} // namespace kinoloom
