#include "UiTestSupport.h"
#include "ui/shell/HelpSearch.h"
#include "ui/shell/HelpView.h"
#include "ui/shell/StudioHelpCommands.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QtTest>

using namespace kinoloom;

namespace {

QStringList titles(const QList<HelpTopic> &topics)
{
    QStringList result;
    for (const HelpTopic &topic : topics)
        result.append(topic.id);
    return result;
}

const HelpTopic &topic(const QString &id)
{
    for (const HelpTopic &candidate : HelpTopic::all())
        if (candidate.id == id)
            return candidate;
    qFatal("no help topic %s", qPrintable(id));
}

QString body(const QString &topicId, const QString &heading)
{
    for (const HelpTopic::Section &section : topic(topicId).sections)
        if (section.heading == heading)
            return section.body;
    return {};
}

const QStringList everyTopic = {QStringLiteral("Getting started"),         QStringLiteral("Media and projects"),
                                QStringLiteral("Preparation and quality"), QStringLiteral("Editing and previews"),
                                QStringLiteral("Exporting films"),         QStringLiteral("Automated runs"),
                                QStringLiteral("YouTube and accounts"),    QStringLiteral("Troubleshooting"),
                                QStringLiteral("Keyboard shortcuts")};

QPushButton *clearSearchButton(const QWidget &view)
{
    for (auto *button : view.findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("Clear search") && button->isVisibleTo(&view))
            return button;
    return nullptr;
}

} // namespace

class tst_Help : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::useStudioLook(); }

    void topics_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<int>("sections");
        QTest::newRow("1") << "Getting started"
                           << "play.circle" << 5;
        QTest::newRow("2") << "Media and projects"
                           << "square.grid.2x2" << 5;
        QTest::newRow("3") << "Preparation and quality"
                           << "slider.horizontal.3" << 4;
        QTest::newRow("4") << "Editing and previews"
                           << "film.stack" << 5;
        QTest::newRow("5") << "Exporting films"
                           << "square.and.arrow.up" << 5;
        QTest::newRow("6") << "Automated runs"
                           << "play.circle" << 5;
        QTest::newRow("7") << "YouTube and accounts"
                           << "play.rectangle" << 5;
        QTest::newRow("8") << "Troubleshooting"
                           << "wrench.and.screwdriver" << 6;
        QTest::newRow("9") << "Keyboard shortcuts"
                           << "keyboard" << 4;
    }
    void topics()
    {
        QFETCH(QString, title);
        QFETCH(QString, symbol);
        QFETCH(int, sections);
        const int index = QString::fromLatin1(QTest::currentDataTag()).toInt() - 1;
        const HelpTopic &topic = HelpTopic::all().at(index);
        QCOMPARE(topic.id, title);
        QCOMPARE(topic.symbol, symbol);
        QCOMPARE(topic.sections.size(), sections);
        QVERIFY(topic.summary.endsWith(QLatin1Char('.')));
        for (const HelpTopic::Section &section : topic.sections) {
            QVERIFY(!section.heading.isEmpty());
            QVERIFY(!section.body.isEmpty());
        }
    }

    void nineTopicsWith44SectionsAndUniqueTitles()
    {
        const QList<HelpTopic> &all = HelpTopic::all();
        QCOMPARE(titles(all), everyTopic);
        qsizetype sections = 0;
        for (const HelpTopic &topic : all)
            sections += topic.sections.size();
        QCOMPARE(sections, 44);
        QCOMPARE(QSet<QString>(everyTopic.begin(), everyTopic.end()).size(), 9);
        QCOMPARE(&HelpTopic::all(), &all); // built once
    }

    void quotedBodies_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("body");
        const QString keys = QStringLiteral("Keyboard shortcuts");
        QTest::newRow("projects")
            << keys << "Projects"
            << "Ctrl+N: new project\nCtrl+O: open project\nCtrl+I: import media\nCtrl+S: save project";
        QTest::newRow("processing") << keys << "Processing"
                                    << "Ctrl+R: render preview\nCtrl+E: export film\nCtrl+period: cancel current job";
        QTest::newRow("workspace") << keys << "Workspace"
                                   << "Ctrl+Alt+Left Arrow: move clip earlier\nCtrl+Alt+Right Arrow: move clip later\n"
                                      "Ctrl+Alt+0: toggle inspector\nCtrl+comma: settings\n"
                                      "Ctrl+Alt+/: open this help window\nCtrl+W: close the current window";
        QTest::newRow("more commands")
            << keys << "More commands"
            << "The Film menu includes preparation and role assignment. The View menu includes workspace navigation "
               "and job details. Native menu items show their current availability.";
        QTest::newRow("roles")
            << "Media and projects"
            << "Choose roles"
            << "Main clips form the body of the film. You can assign one Intro, one End, and up to five Hooks. "
               "Excluded clips stay in the project but are left out of processing. Also use as a hook creates an "
               "intentional second reference to a clip.";
        QTest::newRow("lock") << "Troubleshooting"
                              << "Another process owns this project"
                              << "Close the project in the other Kinoloom process, then open it again. The project "
                                 "lock prevents simultaneous writes.";
    }
    void quotedBodies()
    {
        QFETCH(QString, topic);
        QFETCH(QString, heading);
        QFETCH(QString, body);
        QCOMPARE(::body(topic, heading), body);
    }

    // What the help says speaks of this system, not of another one.
    void bodiesNameLinuxThings()
    {
        for (const HelpTopic &topic : HelpTopic::all()) {
            for (const HelpTopic::Section &section : topic.sections) {
                for (const char *word : {"Finder", "Keychain", "Command-", "macOS", "VideoToolbox", "Option-"})
                    QVERIFY2(!section.body.contains(QLatin1String(word)), qPrintable(section.heading));
            }
        }
    }

    void search_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("nothing") << "" << everyTopic;
        QTest::newRow("only blanks and line breaks") << "  \n\t \r\n " << everyTopic;
        QTest::newRow("symbol names are not searched") << "wrench" << QStringList();
        QTest::newRow("title and summary joined by one space") << "started Take" << QStringList{"Getting started"};
        QTest::newRow("heading and body joined")
            << "Allow working space Lossless" << QStringList{"Preparation and quality"};
        QTest::newRow("no match") << "zebra crossing" << QStringList();
        QTest::newRow("one topic") << "ejected" << QStringList{"Automated runs"};
    }
    void search()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, found);
        QCOMPARE(titles(HelpSearch::matching(HelpTopic::all(), query)), found);
    }

    void searchIgnoresCaseAndSurroundingSpace_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("plain");
        QTest::newRow("export") << " EXPORT "
                                << "export";
        QTest::newRow("relink") << "\tRELINK\n"
                                << "relink";
    }
    void searchIgnoresCaseAndSurroundingSpace()
    {
        QFETCH(QString, query);
        QFETCH(QString, plain);
        const QStringList found = titles(HelpSearch::matching(HelpTopic::all(), query));
        QCOMPARE(found, titles(HelpSearch::matching(HelpTopic::all(), plain)));
        QVERIFY(!found.isEmpty());
    }

    void currentTopic_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("selection"); // empty: none
        QTest::addColumn<QString>("shown"); // empty: none
        QTest::addColumn<QString>("title");
        QTest::newRow("selection among the results") << ""
                                                     << "Troubleshooting"
                                                     << "Troubleshooting"
                                                     << "Troubleshooting · Help";
        QTest::newRow("one result overrides the selection") << "ejected"
                                                            << "Troubleshooting"
                                                            << "Automated runs"
                                                            << "Automated runs · Help";
        QTest::newRow("no selection") << ""
                                      << ""
                                      << "Getting started"
                                      << "Getting started · Help";
        QTest::newRow("no result") << "zebra crossing"
                                   << "Troubleshooting"
                                   << ""
                                   << "Search · Help";
    }
    void currentTopic()
    {
        QFETCH(QString, query);
        QFETCH(QString, selection);
        QFETCH(QString, shown);
        QFETCH(QString, title);
        const auto results = HelpSearch::matching(HelpTopic::all(), query);
        const auto current = HelpSearch::current(results,
                                                 selection.isEmpty() ? std::nullopt : std::optional(selection));
        QCOMPARE(current ? current->id : QString(), shown);
        QCOMPARE(HelpSearch::windowTitle(current), title);
    }

    void footer_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << "0 topics · Available offline";
        QTest::newRow("one") << 1 << "1 topic · Available offline";
        QTest::newRow("all") << 9 << "9 topics · Available offline";
    }
    void footer()
    {
        QFETCH(int, count);
        QFETCH(QString, text);
        QCOMPARE(HelpSearch::footer(count), text);
    }

    void windowOpensOnGettingStarted()
    {
        HelpView view;
        QCOMPARE(view.windowTitle(), QStringLiteral("Getting started · Help"));
        QCOMPARE(view.footerText(), QStringLiteral("9 topics · Available offline"));
        QCOMPARE(view.topicList()->count(), 9);
        QCOMPARE(view.topicList()->currentItem()->text(), QStringLiteral("Getting started"));
        const QImage image = test::render(view, QSize(900, 700));
        test::keepPicture(image, QStringLiteral("help-topic"));
    }

    // Searching shows the one result without changing what the user chose; clearing the search
    // shows the chosen topic again.
    void searchLeavesTheSelectionAlone()
    {
        HelpView view;
        view.select(QStringLiteral("Troubleshooting"));
        QCOMPARE(view.windowTitle(), QStringLiteral("Troubleshooting · Help"));

        view.setQuery(QStringLiteral("ejected"));
        QCOMPARE(view.windowTitle(), QStringLiteral("Automated runs · Help"));
        QCOMPARE(view.footerText(), QStringLiteral("1 topic · Available offline"));
        QCOMPARE(view.topicList()->count(), 1);
        QCOMPARE(view.topicList()->currentItem()->text(), QStringLiteral("Automated runs"));
        QCOMPARE(view.selection(), std::optional(QStringLiteral("Troubleshooting")));

        view.setQuery({});
        QCOMPARE(view.windowTitle(), QStringLiteral("Troubleshooting · Help"));
        QCOMPARE(view.topicList()->currentItem()->text(), QStringLiteral("Troubleshooting"));
    }

    void clickingARowShowsItsTopic()
    {
        HelpView view;
        test::render(view, QSize(900, 700));
        QListWidget *list = view.topicList();
        QListWidgetItem *row = list->findItems(QStringLiteral("Exporting films"), Qt::MatchExactly).first();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
        QCOMPARE(view.selection(), std::optional(QStringLiteral("Exporting films")));
        QCOMPARE(view.windowTitle(), QStringLiteral("Exporting films · Help"));
        QCOMPARE(list->count(), 9);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Exporting films"));

        list->setFocus();
        QTest::keyClick(list->viewport(), Qt::Key_Down);
        QCOMPARE(view.windowTitle(), QStringLiteral("Automated runs · Help"));
    }

    void noMatchOffersClearSearch()
    {
        HelpView view;
        view.setQuery(QStringLiteral("zebra crossing"));
        QCOMPARE(view.windowTitle(), QStringLiteral("Search · Help"));
        QCOMPARE(view.footerText(), QStringLiteral("0 topics · Available offline"));
        QCOMPARE(view.topicList()->count(), 0);
        const QImage image = test::render(view, QSize(900, 700));
        test::keepPicture(image, QStringLiteral("help-no-match"));

        QPushButton *clear = clearSearchButton(view);
        QVERIFY(clear);
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(view.query(), QString());
        QCOMPARE(view.windowTitle(), QStringLiteral("Getting started · Help"));
        QCOMPARE(view.footerText(), QStringLiteral("9 topics · Available offline"));
    }

    void openSettingsIsLeftToTheShell()
    {
        HelpView view;
        QSignalSpy requests(&view, &HelpView::openSettingsRequested);
        QLabel *link = nullptr;
        for (auto *label : view.findChildren<QLabel *>())
            if (label->accessibleName() == QStringLiteral("Open Settings…"))
                link = label;
        QVERIFY(link);
        Q_EMIT link->linkActivated(QStringLiteral("settings"));
        QCOMPARE(requests.size(), 1);
    }

    void helpMenuItem()
    {
        QObject owner;
        QAction *action = StudioHelpCommands::helpAction(&owner);
        QCOMPARE(action->text(), QStringLiteral("Kinoloom Help"));
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), QStringLiteral("Ctrl+Alt+/"));
    }
};

QTEST_MAIN(tst_Help)
#include "tst_Help.moc"
