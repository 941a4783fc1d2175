#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "ui/publish/UploadReview.h"
#include "ui/shell/SheetPresenter.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kinoloom;

namespace {

// A session holding a reviewed snapshot, and the sheet presented over a window.
struct ReviewFixture : test::StudioFixture
{
    QWidget window;
    SheetPresenter presenter{model.get(), &window, Sheet::uploadReview};

    ReviewFixture()
    {
        openProject();
        presenter.setContent([](StudioModel *model, QDialog *sheet) { return new UploadReview(model, sheet); });
        window.resize(800, 600);
        window.show();
    }

    void review(const PublishSettings &publish, std::optional<QString> session = std::nullopt)
    {
        ExportRecord record = ExportRecord::create(QStringLiteral("1080p movie"), home.path(QStringLiteral("Film.mp4")),
                                                   60);
        record.uploadSession = std::move(session);
        model->setAccount(QStringLiteral("Holiday Films"));
        model->setReviewedPublish(publish);
        model->setReviewedExport(record);
        model->setReviewToken(QStringLiteral("token"));
        model->setShowUploadReview(true);
        settle();
    }

    QDialog *dialog() const { return presenter.dialog(); }
    UploadReview *view() const { return dialog() ? dialog()->findChild<UploadReview *>() : nullptr; }
};

PublishSettings publish(const QString &privacy, bool kids, const QString &thumbnail)
{
    PublishSettings settings;
    settings.title = QStringLiteral(" Summer ");
    settings.description = QStringLiteral("Days by the sea.");
    settings.privacy = privacy;
    settings.madeForKids = kids;
    settings.thumbnail = thumbnail;
    return settings;
}

} // namespace

class tst_UploadReview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::useStudioLook(); }

    void rowsShowTheSnapshot_data()
    {
        QTest::addColumn<QString>("privacy");
        QTest::addColumn<bool>("kids");
        QTest::addColumn<QString>("thumbnail");
        QTest::addColumn<QString>("visibility");
        QTest::addColumn<QString>("kidsText");
        QTest::addColumn<QString>("thumbnailText");
        QTest::newRow("unlisted, no thumbnail") << "unlisted" << false << ""
                                                << "Unlisted"
                                                << "No"
                                                << "None";
        QTest::newRow("private, for kids") << "private" << true << "/pictures/cover.png"
                                           << "Private"
                                           << "Yes"
                                           << "cover.png";
        QTest::newRow("public") << "PUBLIC" << false << "/a/b.jpg"
                                << "Public"
                                << "No"
                                << "b.jpg";
    }

    void rowsShowTheSnapshot()
    {
        QFETCH(QString, privacy);
        QFETCH(bool, kids);
        QFETCH(QString, thumbnail);
        QFETCH(QString, visibility);
        QFETCH(QString, kidsText);
        QFETCH(QString, thumbnailText);
        ReviewFixture fixture;
        fixture.review(publish(privacy, kids, thumbnail));
        UploadReview *view = fixture.view();
        QVERIFY(view);
        QCOMPARE(view->value(QStringLiteral("Channel")), QStringLiteral("Holiday Films"));
        QCOMPARE(view->value(QStringLiteral("Video")), QStringLiteral("Film.mp4"));
        QCOMPARE(view->value(QStringLiteral("Title")), QStringLiteral(" Summer "));
        QCOMPARE(view->value(QStringLiteral("Visibility")), visibility);
        QCOMPARE(view->value(QStringLiteral("Made for kids")), kidsText);
        QCOMPARE(view->value(QStringLiteral("Thumbnail")), thumbnailText);
        QCOMPARE(view->description()->text(), QStringLiteral("Days by the sea."));
        QCOMPARE(view->width(), UploadReview::sheetWidth);
    }

    void theButtonFollowsTheUploadSession()
    {
        ReviewFixture fixture;
        fixture.review(publish(QStringLiteral("private"), false, {}));
        QCOMPARE(fixture.view()->confirmButton()->text(), QStringLiteral("Upload to YouTube"));
        fixture.model->dismissUploadReview();
        fixture.settle();
        fixture.review(publish(QStringLiteral("private"), false, {}), QStringLiteral("https://upload/session"));
        QCOMPARE(fixture.view()->confirmButton()->text(), QStringLiteral("Resume upload"));
    }

    void whileBusyOnlyCancelWorks()
    {
        ReviewFixture fixture;
        fixture.review(publish(QStringLiteral("private"), false, {}));
        fixture.setBusy(true);
        fixture.settle();
        QVERIFY(!fixture.view()->confirmButton()->isEnabled());
        QVERIFY(fixture.view()->cancelButton()->isEnabled());
        fixture.setBusy(false);
        fixture.settle();
        QVERIFY(fixture.view()->confirmButton()->isEnabled());
    }

    void returnStartsNothing()
    {
        ReviewFixture fixture;
        fixture.review(publish(QStringLiteral("private"), false, {}));
        QVERIFY(!fixture.view()->confirmButton()->autoDefault() && !fixture.view()->confirmButton()->isDefault());
        QVERIFY(!fixture.view()->cancelButton()->autoDefault() && !fixture.view()->cancelButton()->isDefault());
        for (QWidget *target :
             {static_cast<QWidget *>(fixture.dialog()), static_cast<QWidget *>(fixture.view()->confirmButton())}) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            QTest::keyClick(target, Qt::Key_Enter);
            fixture.settle();
        }
        QVERIFY(fixture.model->showUploadReview());
        QVERIFY(fixture.model->reviewedExport());
        QCOMPARE(fixture.model->job().phase, JobPhase::idle);
    }

    void confirmingStartsTheUpload()
    {
        ReviewFixture fixture;
        fixture.review(publish(QStringLiteral("private"), false, {}));
        fixture.view()->confirmButton()->click();
        // The sheet goes before the job starts, and the snapshot with it.
        QVERIFY(!fixture.model->showUploadReview());
        QVERIFY(!fixture.model->reviewedExport());
        QCOMPARE(fixture.model->job().stage, QStringLiteral("Uploading to YouTube"));
        QTRY_VERIFY(!fixture.dialog());
        QTRY_VERIFY(!fixture.model->busy());
    }

    void cancelAndEscapeDismiss_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("cancel") << false;
        QTest::newRow("escape") << true;
    }

    void cancelAndEscapeDismiss()
    {
        QFETCH(bool, escape);
        ReviewFixture fixture;
        fixture.review(publish(QStringLiteral("private"), false, {}));
        if (escape)
            QTest::keyClick(fixture.dialog(), Qt::Key_Escape);
        else
            fixture.view()->cancelButton()->click();
        fixture.settle();
        QVERIFY(!fixture.model->showUploadReview());
        QVERIFY(!fixture.model->reviewedExport());
        QVERIFY(!fixture.model->reviewedPublish());
        QVERIFY(!fixture.model->reviewToken());
        QTRY_VERIFY(!fixture.dialog());
    }

    void anIncompleteSnapshotShowsTheHeadingAlone()
    {
        ReviewFixture fixture;
        fixture.model->setShowUploadReview(true);
        fixture.settle();
        QVERIFY(fixture.view());
        QVERIFY(!fixture.view()->details()->isVisibleTo(fixture.view()));
    }

    void pictures_data() { test::lightAndDarkRows(); }

    void pictures()
    {
        QFETCH(bool, dark);
        test::useStudioLook(dark);
        ReviewFixture fixture;
        PublishSettings settings = publish(QStringLiteral("unlisted"), false, QStringLiteral("/p/cover.png"));
        settings.description = QStringLiteral("A week by the sea, the boats and the long evenings. ").repeated(12);
        fixture.review(settings);
        QImage picture = fixture.dialog()->grab().toImage();
        test::keepPicture(picture,
                          QStringLiteral("uploadReview-") + (dark ? QStringLiteral("dark") : QStringLiteral("light")));
        test::useStudioLook();
    }
};

QTEST_MAIN(tst_UploadReview)
#include "tst_UploadReview.moc"
