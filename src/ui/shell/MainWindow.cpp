#include "ui/shell/MainWindow.h"

#include "ui/inspector/InspectorView.h"
#include "ui/media/MediaBrowser.h"
#include "ui/media/RoleSlots.h"
#include "ui/media/StoryboardStrip.h"
#include "ui/preview/ClipRangeSelector.h"
#include "ui/preview/PreviewStage.h"
#include "ui/publish/ExportList.h"
#include "ui/publish/MetadataDraftReview.h"
#include "ui/publish/PublishWorkspace.h"
#include "ui/publish/UploadReview.h"
#include "ui/settings/AutomationView.h"
#include "ui/settings/WorkflowRenameSheet.h"
#include "ui/shell/DesktopServices.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceView.h"
#include "ui/workspace/JobDrawer.h"
#include "ui/workspace/StageContent.h"
#include "ui/workspace/StageSidebar.h"
#include "ui/workspace/WelcomeScreen.h"

#include <QMenuBar>

namespace kinoloom {

MainWindow::MainWindow(StudioModel *model, StudioCommands *commands, std::shared_ptr<DesktopServices> desktop,
                       QWidget *parent)
    : QMainWindow(parent)
    , m_desktop(desktop ? std::move(desktop) : DesktopServices::live())
    , m_workspace(new WorkspaceView(model))
    , m_stageContent(new StageContent(model))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kinoloom"));
    setCentralWidget(m_workspace);
    commands->populate(menuBar());

    // Each view is put in its place by one line of its own group below, so that the groups grow
    // side by side without touching each other.
    m_workspace->setStageContent(m_stageContent);

    // Sidebar, welcome screen and job drawer.
    m_workspace->setSidebar(new StageSidebar(model, m_desktop));
    m_stageContent->setPart(StagePart::welcome, new WelcomeScreen(model, m_desktop));
    m_workspace->setJobDrawer(new JobDrawer(model));

    // Media browser, storyboard strip and role slots.
    const RevealFile reveal = [desktop = m_desktop](const QString &path) { desktop->revealFile(path); };
    auto *browser = new MediaBrowser(model, reveal);
    browser->setSearch(m_workspace->search());
    connect(m_workspace, &WorkspaceView::searchChanged, browser, &MediaBrowser::setSearch);
    connect(browser, &MediaBrowser::dragTargetChanged, m_workspace, &WorkspaceView::setDragTarget);
    m_stageContent->setPart(StagePart::mediaBrowser, browser);
    m_stageContent->setPart(StagePart::storyboard, new StoryboardStrip(model, reveal));
    auto *roleSlots = new RoleSlots(model);
    connect(roleSlots, &RoleSlots::targetedSlotChanged, m_workspace,
            [workspace = m_workspace, roleSlots] { workspace->setTargetedSlot(roleSlots->targetedSlot()); });
    m_stageContent->setPart(StagePart::roleSlots, roleSlots);

    // Preview stage and clip range selector.
    m_stageContent->setPart(StagePart::previewStage, new PreviewStage(model));
    m_stageContent->setPart(StagePart::clipRangeSelector, new ClipRangeSelector(model));

    // Inspector.
    auto *inspector = new InspectorView(model, {m_desktop, HardwareEncoderCheck::live()});
    m_workspace->setInspector(inspector);

    // Export list and the publish workspace.
    m_stageContent->setPart(StagePart::exportList, new ExportList(model, m_desktop));
    auto *publish = new PublishWorkspace(model, m_desktop);
    connect(publish, &PublishWorkspace::openSettingsRequested, commands, &StudioCommands::settingsRequested);
    inspector->setPublishWorkspace(publish);
    m_workspace->setSheetContent(Sheet::uploadReview,
                                 [](StudioModel *model, QDialog *sheet) { return new UploadReview(model, sheet); });
    m_workspace->setSheetContent(Sheet::metadataDraft, MetadataDraftReview::content());

    // Automated-run and workflow rename sheets.
    m_workspace->setSheetContent(Sheet::automation, AutomationView::content());
    m_workspace->setSheetContent(Sheet::workflowRename, WorkflowRenameSheet::content());

    m_workspace->setFocus();
    resize(defaultSize);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    Q_EMIT firstShown();
}

} // namespace kinoloom
