#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "support/MediaFixtures.h"
#include "ui/publish/ExportList.h"
#include "ui/publish/ExportRow.h"
#include "ui/shell/SymbolView.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoloom;

namespace {

const test::MediaFixtures &media()
{
    static QTemporaryDir folder;
    static const test::MediaFixtures made(folder.path());
    return made;
}

// A session with a project "Film" and the list over it, its desktop recorded.
struct ListFixture : test::StudioFixture
{
    std::shared_ptr<test::RecordingDesktop> desktop = std::make_shared<test::RecordingDesktop>();
    std::unique_ptr<ExportList> view;

    ListFixture()
    {
        openProject();
        model->editProject([](StudioProject &project) { project.settings.title = QStringLiteral("Summer"); });
    }

    // Appends a render of `kind` whose file is a real movie.
    QUuid add(const QString &kind, std::optional<QString> videoID = std::nullopt)
    {
        ExportRecord record = ExportRecord::create(kind, media().clip(), 75.4);
        record.videoID = std::move(videoID);
        model->editProject([&record](StudioProject &project) { project.exports.append(record); });
        return record.id;
    }

    void makeView()
    {
        view = std::make_unique<ExportList>(model.get(), desktop);
        view->resize(600, 400);
        view->show();
        settle();
    }

    QWidget *row(int index) const { return view->list()->itemWidget(view->list()->item(index)); }

    void choose(int index)
    {
        view->list()->setCurrentRow(index);
        settle();
    }

    bool shown(const QWidget *widget) const { return widget->isVisibleTo(view.get()); }
};

} // namespace

class tst_ExportList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test::useStudioLook();
        // Made before any session's temporary home, which a test removes at its end.
        QVERIFY(QFileInfo::exists(media().clip()));
    }

    void anEmptyProjectShowsTheEmptyState()
    {
        ListFixture fixture;
        fixture.makeView();
        QVERIFY(fixture.shown(fixture.view->emptyState()));
        QVERIFY(!fixture.shown(fixture.view->list()));
        QVERIFY(!fixture.shown(fixture.view->revealButton()));
        const QStringList texts = [&] {
            QStringList all;
            for (const QLabel *label : fixture.view->emptyState()->findChildren<QLabel *>())
                all.append(label->text());
            return all;
        }();
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("No exports yet"),
                              QStringLiteral("Render a preview or export film to create an output.")}));
        // The panel stands at the top with the free space below it.
        QCOMPARE(fixture.view->emptyState()->height(), ExportList::emptyHeight);

        fixture.add(QStringLiteral("Preview"));
        fixture.settle();
        QVERIFY(!fixture.shown(fixture.view->emptyState()));
        QCOMPARE(fixture.view->list()->count(), 1);
    }

    void rendersAreListedNewestFirst()
    {
        ListFixture fixture;
        fixture.add(QStringLiteral("Preview"));
        fixture.add(QStringLiteral("1080p movie"), QStringLiteral("abc"));
        fixture.add(QStringLiteral("Short"));
        fixture.makeView();

        QCOMPARE(fixture.view->list()->count(), 3);
        const QStringList kinds{QStringLiteral("Short"), QStringLiteral("1080p movie"), QStringLiteral("Preview")};
        const QStringList symbols{QStringLiteral("iphone"), QStringLiteral("film"), QStringLiteral("film")};
        for (int index = 0; index < 3; ++index) {
            QWidget *row = fixture.row(index);
            QCOMPARE(row->findChild<QLabel *>(QStringLiteral("kind"))->text(), kinds[index]);
            QCOMPARE(row->findChild<SymbolView *>(QStringLiteral("kindSymbol"))->symbol(), symbols[index]);
            QCOMPARE(row->findChild<QLabel *>(QStringLiteral("duration"))->text(), QStringLiteral("1:15"));
            SymbolView *cloud = row->findChild<SymbolView *>(QStringLiteral("uploadedMark"));
            QCOMPARE(cloud != nullptr, index == 1);
            if (cloud)
                QCOMPARE(cloud->toolTip(), QStringLiteral("Video created on YouTube"));
        }
    }

    void buttonsFollowTheSelectedKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("prepare");
        QTest::newRow("preview") << "Preview" << false;
        QTest::newRow("film") << "4K movie" << true;
        QTest::newRow("short") << "Short" << true;
        // Only exactly "Preview" is kept from publishing.
        QTest::newRow("lower-case preview") << "preview" << true;
    }

    void buttonsFollowTheSelectedKind()
    {
        QFETCH(QString, kind);
        QFETCH(bool, prepare);
        ListFixture fixture;
        fixture.add(kind);
        fixture.makeView();
        QVERIFY(!fixture.shown(fixture.view->revealButton()));

        fixture.choose(0);
        QVERIFY(fixture.shown(fixture.view->revealButton()));
        QCOMPARE(fixture.shown(fixture.view->prepareButton()), prepare);
        fixture.view->revealButton()->click();
        QCOMPARE(fixture.desktop->calls, QStringList{QStringLiteral("revealFile ") + media().clip()});
    }

    void aChangedSelectionPlaysTheRender()
    {
        ListFixture fixture;
        const QUuid first = fixture.add(QStringLiteral("Preview"));
        const QUuid second = fixture.add(QStringLiteral("Short"));
        fixture.model->setExportSelection(first);
        fixture.makeView();
        // The selection the list is first shown with is not played.
        QVERIFY(!fixture.model->previewURL());
        QVERIFY(fixture.view->list()->item(1)->isSelected());

        // The user's choice.
        fixture.choose(0);
        QCOMPARE(fixture.model->exportSelection(), second);
        QCOMPARE(fixture.model->previewURL(), QUrl::fromLocalFile(media().clip()));
        QVERIFY(fixture.model->player());

        // The session's choice, shown in the list; a change to nothing leaves the preview.
        fixture.model->setPreviewURL(std::nullopt);
        fixture.model->setExportSelection(first);
        fixture.settle();
        QVERIFY(fixture.view->list()->item(1)->isSelected());
        QCOMPARE(fixture.model->previewURL(), QUrl::fromLocalFile(media().clip()));
        fixture.model->setExportSelection(std::nullopt);
        fixture.settle();
        QCOMPARE(fixture.model->previewURL(), QUrl::fromLocalFile(media().clip()));
        QVERIFY(!fixture.shown(fixture.view->revealButton()));
    }

    void prepareUploadOpensPublish_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty takes the film's") << ""
                                                << "Summer";
        QTest::newRow("set is kept") << "My upload"
                                     << "My upload";
        QTest::newRow("blanks are kept") << "  "
                                         << "  ";
    }

    void prepareUploadOpensPublish()
    {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        ListFixture fixture;
        const QUuid film = fixture.add(QStringLiteral("1080p movie"));
        fixture.model->editProject([&title](StudioProject &project) { project.publish.title = title; });
        fixture.model->setWorkspace(Workspace::export_);
        fixture.makeView();
        fixture.choose(0);

        fixture.view->prepareButton()->click();
        fixture.settle();
        QCOMPARE(fixture.model->workspace(), Workspace::publish);
        QCOMPARE(fixture.model->project().publish.title, expected);
        QCOMPARE(fixture.model->project().settings.title, QStringLiteral("Summer"));
        QCOMPARE(fixture.model->exportSelection(), film);
    }

    void pictures_data() { test::lightAndDarkRows(); }

    void pictures()
    {
        QFETCH(bool, dark);
        test::useStudioLook(dark);
        ListFixture fixture;
        fixture.makeView();
        const QString look = dark ? QStringLiteral("dark") : QStringLiteral("light");
        test::keepPicture(test::render(*fixture.view, {640, 320}), QStringLiteral("exportList-empty-") + look);
        fixture.add(QStringLiteral("Preview"));
        fixture.add(QStringLiteral("1080p movie"), QStringLiteral("abc"));
        fixture.add(QStringLiteral("Short"));
        fixture.settle();
        fixture.choose(1);
        fixture.view->resize(640, 320);
        fixture.settle();
        // Each row is as wide as the list.
        QCOMPARE(fixture.row(0)->width(), fixture.view->list()->viewport()->width());
        test::keepPicture(test::render(*fixture.view, {640, 320}), QStringLiteral("exportList-") + look);
        test::useStudioLook();
    }
};

QTEST_MAIN(tst_ExportList)
#include "tst_ExportList.moc"
