#include "RecordingDesktop.h"
#include "fixture/StudioFixture.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/LinkLabel.h"
#include "ui/shell/SymbolView.h"
#include "ui/workspace/StageSidebar.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace kinoloom;

namespace {

struct Sidebar
{
    test::StudioFixture fixture;
    std::shared_ptr<test::RecordingDesktop> desktop = std::make_shared<test::RecordingDesktop>();
    StageSidebar view{fixture.model.get(), desktop};

    Sidebar()
    {
        view.resize(220, 700);
        view.show();
        test::StudioFixture::settle();
    }

    QString label(const QString &name) const { return view.findChild<QLabel *>(name)->text(); }
    bool shown(const QString &name) const { return view.findChild<QWidget *>(name)->isVisible(); }
    QString projectName() const { return view.findChild<ClampedLabel *>(QStringLiteral("footerProjectName"))->text(); }
    // The rows whose icon is white, by stage number.
    QList<int> whiteIcons() const
    {
        QList<int> white;
        for (int row = 0; row < view.stageList()->count(); ++row) {
            if (view.stageIcon(row)->colour() == QColor(Qt::white))
                white.append(row + 1);
        }
        return white;
    }
    void click(const QPoint &where, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(view.stageList()->viewport(), Qt::LeftButton, modifiers, where);
        test::StudioFixture::settle();
    }
    QPoint rowCentre(int row) const
    {
        QListWidget *list = view.stageList();
        return list->visualItemRect(list->item(row)).center();
    }
};

} // namespace

class tst_StageSidebar : public QObject
{
    Q_OBJECT

private slots:
    void footerTellsOfTheOpenProject_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("assets");
        QTest::addColumn<QStringList>("exportKinds");
        QTest::addColumn<QString>("counts"); // empty: no count line

        QTest::newRow("no project") << false << 0 << QStringList{} << QString();
        QTest::newRow("new project") << true << 0 << QStringList{} << QStringLiteral("0 assets · 0 exports");
        QTest::newRow("a preview is not an export")
            << true << 3 << QStringList{QStringLiteral("Film"), QStringLiteral("Preview"), QStringLiteral("Short")}
            << QStringLiteral("3 assets · 2 exports");
        QTest::newRow("only the exact kind is a preview")
            << true << 1 << QStringList{QStringLiteral("preview"), QStringLiteral("Preview ")}
            << QStringLiteral("1 assets · 2 exports");
    }
    void footerTellsOfTheOpenProject()
    {
        QFETCH(bool, open);
        QFETCH(int, assets);
        QFETCH(QStringList, exportKinds);
        QFETCH(QString, counts);

        Sidebar sidebar;
        if (open)
            sidebar.fixture.openProject();
        for (int index = 0; index < assets; ++index)
            sidebar.fixture.addAsset(ClipRole::main);
        for (const QString &kind : exportKinds)
            sidebar.fixture.selectExport(kind);
        test::StudioFixture::settle();

        QCOMPARE(sidebar.label(QStringLiteral("footerHeading")),
                 open ? QStringLiteral("CURRENT PROJECT") : QStringLiteral("NO PROJECT OPEN"));
        QCOMPARE(sidebar.projectName(), open ? QStringLiteral("Film") : QStringLiteral("Start with your footage"));
        QCOMPARE(sidebar.shown(QStringLiteral("projectCounts")), open);
        QCOMPARE(sidebar.shown(QStringLiteral("revealProjectButton")), open);
        if (open)
            QCOMPARE(sidebar.label(QStringLiteral("projectCounts")), counts);
    }

    void aLongProjectNameTakesTwoLines()
    {
        Sidebar sidebar;
        sidebar.fixture.openProject();
        sidebar.fixture.model->editProject(
            [](StudioProject &project) { project.name = QStringLiteral("A summer by the sea ").repeated(6); });
        test::StudioFixture::settle();
        const auto *name = sidebar.view.findChild<ClampedLabel *>(QStringLiteral("footerProjectName"));
        const QStringList lines = name->lines(name->width());
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.last().endsWith(QStringLiteral("…")));
    }

    void selectionFollowsTheStageSetElsewhere()
    {
        Sidebar sidebar;
        StudioModel &model = *sidebar.fixture.model;
        QCOMPARE(sidebar.view.stageList()->currentRow(), 0);
        QCOMPARE(sidebar.whiteIcons(), QList<int>{1});
        for (const Workspace stage : {Workspace::edit, Workspace::publish, Workspace::media}) {
            model.setWorkspace(stage);
            test::StudioFixture::settle();
            const int row = int(allWorkspaces().indexOf(stage));
            QCOMPARE(sidebar.view.stageList()->currentRow(), row);
            QCOMPARE(sidebar.view.stageList()->selectedItems(),
                     QList<QListWidgetItem *>{sidebar.view.stageList()->item(row)});
            QCOMPARE(sidebar.whiteIcons(), QList<int>{row + 1});
        }
    }

    void aClickOnARowSetsTheStageAndNothingElseChangesIt()
    {
        Sidebar sidebar;
        StudioModel &model = *sidebar.fixture.model;
        sidebar.click(sidebar.rowCentre(3));
        QCOMPARE(model.workspace(), Workspace::export_);
        QCOMPARE(sidebar.whiteIcons(), QList<int>{4});

        // The current row again, the empty space below the rows, a deselecting click.
        sidebar.click(sidebar.rowCentre(3));
        QCOMPARE(model.workspace(), Workspace::export_);
        QListWidget *list = sidebar.view.stageList();
        const QPoint below(list->viewport()->width() / 2, list->viewport()->height() - 4);
        QVERIFY(!list->itemAt(below));
        sidebar.click(below);
        QCOMPARE(model.workspace(), Workspace::export_);
        sidebar.click(sidebar.rowCentre(3), Qt::ControlModifier);
        QCOMPARE(model.workspace(), Workspace::export_);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->currentRow(), 3);

        // The keyboard moves between stages as the mouse does.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up);
        test::StudioFixture::settle();
        QCOMPARE(model.workspace(), Workspace::edit);
    }

    void revealOpensTheProjectFolder()
    {
        Sidebar sidebar;
        sidebar.fixture.openProject();
        test::StudioFixture::settle();
        auto *reveal = sidebar.view.findChild<LinkLabel *>(QStringLiteral("revealProjectButton"));
        QCOMPARE(reveal->text(), QStringLiteral("Reveal project in file manager"));
        QTest::mouseClick(reveal, Qt::LeftButton);
        QCOMPARE(sidebar.desktop->calls, QStringList{QStringLiteral("openFolder ") + *sidebar.fixture.model->root()});
    }
};

QTEST_MAIN(tst_StageSidebar)
#include "tst_StageSidebar.moc"
