#include "RecordingDesktop.h"
#include "fixture/StudioFixture.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/workspace/RecentProjectRow.h"
#include "ui/workspace/WelcomeScreen.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

using namespace kinoloom;

namespace {

struct Welcome
{
    test::StudioFixture fixture;
    std::shared_ptr<test::RecordingDesktop> desktop = std::make_shared<test::RecordingDesktop>();
    WelcomeScreen view{fixture.model.get(), desktop};

    Welcome()
    {
        view.resize(1000, 800);
        view.show();
        test::StudioFixture::settle();
    }

    // `count` real projects, "Project 1" the newest, as the recent list.
    QList<RecentProject> remember(int count)
    {
        QList<RecentProject> entries;
        for (int index = 1; index <= count; ++index) {
            const QString name = QStringLiteral("Project %1").arg(index);
            entries.append(
                {fixture.home.createProject(name), name, QDateTime(QDate(2026, 1, 10 - index), QTime(9, 0))});
        }
        fixture.model->setRecentProjects(entries);
        test::StudioFixture::settle();
        return entries;
    }

    bool headingShown() const
    {
        return view.findChild<QWidget *>(QStringLiteral("recentProjectsHeading"))->isVisible();
    }
};

QString labelText(const QWidget *row, const QString &name)
{
    return row->findChild<ClampedLabel *>(name)->text();
}

} // namespace

class tst_WelcomeScreen : public QObject
{
    Q_OBJECT

private slots:
    void recentProjectsAreListedNewestFirst()
    {
        Welcome welcome;
        QVERIFY(!welcome.headingShown());
        QVERIFY(welcome.view.recentRows().isEmpty());

        const QList<RecentProject> entries = welcome.remember(8);
        QVERIFY(welcome.headingShown());
        const QList<RecentProjectRow *> rows = welcome.view.recentRows();
        QCOMPARE(rows.size(), 8);
        for (int index = 0; index < 8; ++index) {
            QCOMPARE(rows[index]->entry(), entries[index]);
            QCOMPARE(labelText(rows[index], QStringLiteral("recentName")), entries[index].name);
            QCOMPARE(labelText(rows[index], QStringLiteral("recentPath")), entries[index].path);
            QVERIFY(rows[index]->isVisible());
        }
        QCOMPARE(rows[0]->findChild<QLabel *>(QStringLiteral("recentDate"))->text(),
                 QLocale().toString(QDate(2026, 1, 9), QLocale::ShortFormat));

        welcome.fixture.model->setRecentProjects({});
        test::StudioFixture::settle();
        QVERIFY(!welcome.headingShown());
    }

    void aLongPathIsShortenedInTheMiddle()
    {
        Welcome welcome;
        const QString path = QStringLiteral("/home/someone/Films/") + QStringLiteral("very long folder/").repeated(12)
            + QStringLiteral("Summer");
        welcome.fixture.model->setRecentProjects({{path, QStringLiteral("Summer"), QDateTime::currentDateTime()}});
        test::StudioFixture::settle();
        const auto *shown = welcome.view.recentRows().constFirst()->findChild<ClampedLabel *>(
            QStringLiteral("recentPath"));
        const QStringList lines = shown->lines(shown->width());
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith(QStringLiteral("/home/someone")));
        QVERIFY(lines.first().endsWith(QStringLiteral("Summer")));
        QVERIFY(lines.first().contains(QStringLiteral("…")));
    }

    void aRowOpensItsProjectUnlessBusy()
    {
        Welcome welcome;
        const QList<RecentProject> entries = welcome.remember(3);
        StudioModel &model = *welcome.fixture.model;

        welcome.fixture.setBusy(true);
        QTest::mouseClick(welcome.view.recentRows()[1], Qt::LeftButton);
        QVERIFY(!model.root());
        QVERIFY(!model.error());

        welcome.fixture.setBusy(false);
        QTest::mouseClick(welcome.view.recentRows()[1], Qt::LeftButton);
        QCOMPARE(model.root(), entries[1].path);
        QVERIFY(!model.error());
    }

    void aRowRevealsItsFolder()
    {
        Welcome welcome;
        const QList<RecentProject> entries = welcome.remember(2);
        std::unique_ptr<QMenu> menu(welcome.view.recentRows()[1]->makeMenu());
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Reveal in file manager"));
        menu->actions().first()->trigger();
        QCOMPARE(welcome.desktop->calls, QStringList{QStringLiteral("revealFile ") + entries[1].path});
        QVERIFY(!welcome.fixture.model->root());
    }

    void createAndOpenAskForAFolder_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("canCreate");
        QTest::newRow("create") << QStringLiteral("createProjectButton") << QStringLiteral("Create project here")
                                << QStringLiteral("Choose a new project folder. Source media will remain untouched.")
                                << true;
        QTest::newRow("open") << QStringLiteral("openProjectButton") << QStringLiteral("Open project")
                              << QStringLiteral("Choose the folder containing Project.kinoloom.json.") << false;
    }
    void createAndOpenAskForAFolder()
    {
        QFETCH(QString, button);
        QFETCH(QString, prompt);
        QFETCH(QString, message);
        QFETCH(bool, canCreate);
        Welcome welcome;
        // The user cancels the panel: nothing opens and nothing is said.
        QTest::mouseClick(welcome.view.findChild<QPushButton *>(button), Qt::LeftButton);
        const QList<OpenPanel> &asked = welcome.fixture.home.panels->opened;
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().prompt, prompt);
        QCOMPARE(asked.first().message, message);
        QVERIFY(asked.first().directories);
        QCOMPARE(asked.first().canCreateDirectories, canCreate);
        QVERIFY(!welcome.fixture.model->root());
        QVERIFY(!welcome.fixture.model->error());
    }

    void namesAndPathsAreShownAsTheyStand()
    {
        Welcome welcome;
        const QString name = QStringLiteral("<b>Take <img src=x.png>");
        welcome.fixture.model->setRecentProjects(
            {{QStringLiteral("/films/<i>Summer</i>"), name, QDateTime::currentDateTime()}});
        test::StudioFixture::settle();
        RecentProjectRow *row = welcome.view.recentRows().constFirst();
        QCOMPARE(labelText(row, QStringLiteral("recentName")), name);
        QCOMPARE(row->accessibleName(), name);
        QTextDocument tip;
        tip.setHtml(row->toolTip());
        QCOMPARE(tip.toPlainText(), QStringLiteral("/films/<i>Summer</i>"));
    }
};

QTEST_MAIN(tst_WelcomeScreen)
#include "tst_WelcomeScreen.moc"
