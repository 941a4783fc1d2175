#include "ui/shell/KinoloomApp.h"

#include "model/ProjectStore.h"
#include "session/FailureDescription.h"
#include "session/StudioModel.h"
#include "ui/settings/StudioSettings.h"
#include "ui/shell/Appearance.h"
#include "ui/shell/AutomaticSave.h"
#include "ui/shell/HelpView.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/PrimitiveShowcase.h"
#include "ui/shell/ProjectArgument.h"
#include "ui/shell/ShortcutPriority.h"
#include "ui/shell/SingleInstance.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WindowSnapshot.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QSettings>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr QSize settingsSize{650, 500};
constexpr QSize helpSize{900, 700};

} // namespace

KinoloomOptions KinoloomOptions::live()
{
    KinoloomOptions options;
    options.arguments = QCoreApplication::arguments();
    options.currentDirectory = QDir::currentPath();
    options.defaults = std::make_shared<QSettings>(QStringLiteral("Kinoloom"), QStringLiteral("Kinoloom"));
    options.environment = [] { return StudioEnvironment::live(); };
    options.evidenceFolder = WindowSnapshot::defaultFolder();
    return options;
}

KinoloomApp::KinoloomApp(KinoloomOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_appearance(new Appearance(m_options.defaults, this))
{
    m_appearance->apply();
}

KinoloomApp::~KinoloomApp()
{
    // Windows first: they read the session while they close.
    delete m_settingsWindow;
    delete m_helpWindow;
    delete m_componentsWindow;
    delete m_mainWindow;
    delete m_automaticSave;
    delete m_commands;
    m_model.reset();
}

bool KinoloomApp::claimSingleInstance()
{
    m_instance = new SingleInstance(m_options.runtimeFolder, this);
    if (!m_instance->claim())
        return false;
    connect(m_instance, &SingleInstance::activationRequested, this, &KinoloomApp::raiseWindows);
    return true;
}

void KinoloomApp::start()
{
    StudioEnvironment environment = m_options.environment();
    environment.userDefaults = m_options.defaults;
    m_model = std::make_unique<StudioModel>(std::move(environment));
    m_commands = new StudioCommands(m_model.get());
    m_automaticSave = new AutomaticSave(m_model.get());

    connect(m_commands, &StudioCommands::settingsRequested, this, &KinoloomApp::showSettings);
    connect(m_commands, &StudioCommands::helpRequested, this, &KinoloomApp::showHelp);
    connect(m_commands, &StudioCommands::componentsRequested, this, &KinoloomApp::showComponents);
    connect(m_commands, &StudioCommands::closeWindowRequested, this, &KinoloomApp::closeActiveWindow);
    connect(m_commands, &StudioCommands::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(m_commands, &StudioCommands::snapshotRequested, this, [this] { captureWindow(); });
    connect(m_commands, &StudioCommands::sizedSnapshotRequested, this,
            [this](QSize size) { captureWindowAtSize(size); });
    qApp->installEventFilter(new ShortcutPriority({m_commands->action(QStringLiteral("Export Film"))}, m_commands));

    m_mainWindow = new MainWindow(m_model.get(), m_commands, m_options.desktop);
    connect(m_mainWindow, &MainWindow::firstShown, this, &KinoloomApp::openStartupProject);
    m_mainWindow->show();
}

void KinoloomApp::openStartupProject()
{
    StudioModel &model = *m_model;
    const std::optional<QString> folder = projectArgument(m_options.arguments, m_options.currentDirectory);
    if (folder && !model.root()) {
        try {
            model.activate(ProjectStore::open(*folder), *folder);
        } catch (...) {
            model.setError(describeFailure(std::current_exception()));
        }
        return;
    }
    model.restoreLastProject();
}

QWidget *KinoloomApp::makeWindow(const QString &name, const QString &title, QWidget *content, QSize size)
{
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(name);
    window->setWindowTitle(title);
    // Closing the main window ends the application; these stay out of that decision.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    // Help, Settings, Cancel, Close Window and Quit answer here too.
    window->addActions(m_commands->everyWindowActions());
    if (size.isValid())
        window->resize(size);
    else
        window->adjustSize();
    return window;
}

QWidget *KinoloomApp::settingsWindow()
{
    if (!m_settingsWindow) {
        m_settingsContent = new PaneSlot(QStringLiteral("settings"));
        if (m_model)
            m_settingsContent->setContent(new StudioSettings(m_model.get(), m_appearance));
        m_settingsWindow = makeWindow(QStringLiteral("settingsWindow"), QStringLiteral("Settings"), m_settingsContent,
                                      settingsSize);
    }
    return m_settingsWindow;
}

PaneSlot *KinoloomApp::settingsContent()
{
    settingsWindow();
    return m_settingsContent;
}

QWidget *KinoloomApp::helpWindow()
{
    if (!m_helpWindow) {
        auto *help = new HelpView;
        connect(help, &HelpView::openSettingsRequested, this, &KinoloomApp::showSettings);
        m_helpWindow = makeWindow(QStringLiteral("helpWindow"), QStringLiteral("Kinoloom Help"), help, helpSize);
        // The help view names the window after its topic.
        connect(help, &QWidget::windowTitleChanged, m_helpWindow, &QWidget::setWindowTitle);
        if (!help->windowTitle().isEmpty())
            m_helpWindow->setWindowTitle(help->windowTitle());
    }
    return m_helpWindow;
}

QWidget *KinoloomApp::componentsWindow()
{
    if (!m_componentsWindow) {
        m_componentsWindow = makeWindow(QStringLiteral("componentsWindow"), QStringLiteral("Components"),
                                        new PrimitiveShowcase, {});
        // It shows the components as the platform draws them, whatever the user's appearance.
        m_componentsWindow->setPalette(m_appearance->platformPalette());
    }
    return m_componentsWindow;
}

void KinoloomApp::showSettings()
{
    showWindow(settingsWindow());
}

void KinoloomApp::showHelp()
{
    showWindow(helpWindow());
}

void KinoloomApp::showComponents()
{
    showWindow(componentsWindow());
}

void KinoloomApp::showWindow(QWidget *window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

void KinoloomApp::raiseWindows()
{
    for (QWidget *window : {m_componentsWindow.data(), m_helpWindow.data(), m_settingsWindow.data()}) {
        if (window && window->isVisible())
            showWindow(window);
    }
    if (m_mainWindow)
        showWindow(m_mainWindow);
}

void KinoloomApp::closeActiveWindow()
{
    if (QWidget *window = QApplication::activeWindow())
        window->close();
}

void KinoloomApp::captureWindow(QWidget *window)
{
    if (!window)
        window = QApplication::activeWindow();
    if (!window || !m_model)
        return;
    WindowSnapshot::capture(window, *m_model, m_appearance->appearance(), m_options.evidenceFolder);
}

void KinoloomApp::captureWindowAtSize(QSize size, QWidget *window)
{
    if (!window)
        window = QApplication::activeWindow();
    if (!window)
        return;
    window->resize(size);
    if (QLayout *layout = window->layout())
        layout->activate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    captureWindow(window);
}

} // namespace kinoloom
