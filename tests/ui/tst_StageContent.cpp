#include "RecordingDesktop.h"
#include "fixture/StudioFixture.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceView.h"
#include "ui/workspace/StageContent.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace kinoloom;

Q_DECLARE_METATYPE(Workspace)

namespace {

const QList<std::pair<StagePart, QString>> parts = {
    {StagePart::welcome, QStringLiteral("welcome")},
    {StagePart::mediaBrowser, QStringLiteral("mediaBrowser")},
    {StagePart::previewStage, QStringLiteral("previewStage")},
    {StagePart::clipRangeSelector, QStringLiteral("clipRangeSelector")},
    {StagePart::storyboard, QStringLiteral("storyboard")},
    {StagePart::roleSlots, QStringLiteral("roleSlots")},
    {StagePart::exportList, QStringLiteral("exportList")},
};

// The parts a user sees, in the order of `parts`.
QStringList shownParts(const StageContent &content)
{
    QStringList shown;
    for (const auto &[part, name] : parts) {
        if (content.slot(part)->isVisibleTo(&content))
            shown.append(name);
    }
    return shown;
}

} // namespace

class tst_StageContent : public QObject
{
    Q_OBJECT

private slots:
    void partsFollowProjectStageAndSelection_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<QString>("selected"); // "" nothing, "clip" a movie, "still" an image
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("scrollHeight");

        const QStringList strips = {QStringLiteral("previewStage"), QStringLiteral("storyboard")};
        QTest::newRow("no project on Media")
            << false << Workspace::media << QString() << QStringList{QStringLiteral("welcome")} << 0;
        QTest::newRow("no project on Edit with a clip")
            << false << Workspace::edit << QStringLiteral("clip") << QStringList{QStringLiteral("welcome")} << 0;
        QTest::newRow("Media") << true << Workspace::media << QStringLiteral("clip")
                               << QStringList{QStringLiteral("mediaBrowser")} << 0;
        QTest::newRow("Prepare") << true << Workspace::prepare << QStringLiteral("clip")
                                 << (strips + QStringList{QStringLiteral("roleSlots")}) << 240;
        QTest::newRow("Edit with a clip")
            << true << Workspace::edit << QStringLiteral("clip")
            << QStringList{QStringLiteral("previewStage"), QStringLiteral("clipRangeSelector"),
                           QStringLiteral("storyboard")}
            << 300;
        QTest::newRow("Edit with a still") << true << Workspace::edit << QStringLiteral("still") << strips << 300;
        QTest::newRow("Edit with nothing selected") << true << Workspace::edit << QString() << strips << 300;
        QTest::newRow("Export") << true << Workspace::export_ << QStringLiteral("clip")
                                << QStringList{QStringLiteral("previewStage"), QStringLiteral("exportList")} << 240;
        QTest::newRow("Publish") << true << Workspace::publish << QString()
                                 << QStringList{QStringLiteral("previewStage"), QStringLiteral("exportList")} << 240;
    }
    void partsFollowProjectStageAndSelection()
    {
        QFETCH(bool, open);
        QFETCH(Workspace, stage);
        QFETCH(QString, selected);
        QFETCH(QStringList, shown);
        QFETCH(int, scrollHeight);

        test::StudioFixture fixture;
        StudioCommands commands(fixture.model.get());
        MainWindow window(fixture.model.get(), &commands, std::make_shared<test::RecordingDesktop>());
        StudioModel &model = *fixture.model;
        if (open)
            fixture.openProject();
        fixture.addAssets(QStringLiteral("mm"));
        if (!selected.isEmpty()) {
            MediaAsset asset = MediaAsset::create(fixture.home.path(QStringLiteral("picked")), QStringLiteral("Picked"),
                                                  4, 320, 180, 25, false, selected == QLatin1String("still"));
            model.editProject([&asset](StudioProject &project) { project.assets.append(asset); });
            model.setSelection(asset.id);
        }
        model.setWorkspace(stage);
        window.show();
        test::StudioFixture::settle();

        const StageContent &content = *window.stageContent();
        QCOMPARE(shownParts(content), shown);
        if (scrollHeight > 0)
            QCOMPARE(content.scrollArea()->height(), scrollHeight);
        // Nothing to inspect without a project, whatever the flag says.
        QVERIFY(model.showInspector());
        QCOMPARE(window.workspace()->inspectorSlot()->isVisible(), open);
        QCOMPARE(window.workspace()->stageContentSlot()->content(), window.stageContent());
    }

    void aStageChangeScrollsBackToTheTop()
    {
        test::StudioFixture fixture;
        StageContent content(fixture.model.get());
        StudioModel &model = *fixture.model;
        fixture.openProject();
        auto *tall = new QWidget;
        tall->setMinimumHeight(1000);
        content.setPart(StagePart::exportList, tall);
        model.setWorkspace(Workspace::export_);
        content.resize(800, 700);
        content.show();
        test::StudioFixture::settle();
        QScrollBar *bar = content.scrollArea()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());

        // A change that keeps the stage keeps the place; another stage starts at the top.
        model.editProject([](StudioProject &project) { project.name = QStringLiteral("Renamed"); });
        test::StudioFixture::settle();
        QCOMPARE(bar->value(), bar->maximum());
        model.setWorkspace(Workspace::publish);
        test::StudioFixture::settle();
        QCOMPARE(bar->value(), 0);
    }

    void aPartTakesThePlaceholdersPlace()
    {
        test::StudioFixture fixture;
        StageContent content(fixture.model.get());
        for (const auto &[part, name] : parts)
            QVERIFY2(content.findChild<QWidget *>(name + QStringLiteral("Placeholder")), qPrintable(name));
        auto *browser = new QWidget;
        content.setPart(StagePart::mediaBrowser, browser);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!content.findChild<QWidget *>(QStringLiteral("mediaBrowserPlaceholder")));
        QCOMPARE(content.slot(StagePart::mediaBrowser)->content(), browser);
        QCOMPARE(browser->parentWidget(), content.slot(StagePart::mediaBrowser));
    }
};

QTEST_MAIN(tst_StageContent)
#include "tst_StageContent.moc"
