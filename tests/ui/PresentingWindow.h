#pragma once

#include "fixture/StudioHome.h"
#include "session/StudioModel.h"
#include "ui/settings/StudioSettings.h"
#include "ui/shell/Appearance.h"
#include "ui/shell/AttentionAlert.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/SheetPresenter.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceView.h"

#include <QMessageBox>
#include <QVBoxLayout>

#include <memory>

namespace kinoloom::test {

// One of the two windows that present the automated-run and rename sheets on the session's
// flags: the main window, or the settings window with its content. Shown on creation.
class PresentingWindow
{
public:
    PresentingWindow(StudioModel *model, const StudioHome &home, bool settings)
    {
        if (settings) {
            m_appearance = std::make_unique<Appearance>(home.defaults());
            m_window = std::make_unique<QWidget>(nullptr, Qt::Window);
            auto *layout = new QVBoxLayout(m_window.get());
            layout->setContentsMargins(0, 0, 0, 0);
            m_settings = new StudioSettings(model, m_appearance.get());
            layout->addWidget(m_settings);
            m_window->resize(650, 500);
        } else {
            m_commands = std::make_unique<StudioCommands>(model);
            auto *main = new MainWindow(model, m_commands.get());
            m_main = main;
            m_window.reset(main);
        }
        m_window->show();
    }
    ~PresentingWindow()
    {
        // The window reads the commands while it goes.
        m_window.reset();
    }

    QWidget *window() const { return m_window.get(); }
    StudioSettings *settings() const { return m_settings; }

    QDialog *sheet(Sheet sheet) const
    {
        const SheetPresenter *presenter = m_settings ? m_settings->sheet(sheet) : m_main->workspace()->sheet(sheet);
        return presenter ? presenter->dialog() : nullptr;
    }
    QMessageBox *alert() const
    {
        const AttentionAlert *alert = m_settings ? m_settings->alert() : m_main->workspace()->alert();
        return alert ? alert->box() : nullptr;
    }

private:
    std::unique_ptr<Appearance> m_appearance;
    std::unique_ptr<StudioCommands> m_commands;
    std::unique_ptr<QWidget> m_window;
    MainWindow *m_main = nullptr;
    StudioSettings *m_settings = nullptr;
};

} // namespace kinoloom::test
