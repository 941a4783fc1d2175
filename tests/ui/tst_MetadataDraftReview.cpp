#include "PresentingWindow.h"
#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "ui/publish/MetadataDraftReview.h"
#include "ui/shell/SheetPresenter.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace kinoloom;

namespace {

// A session whose project has publish settings of its own and a generated draft, and the draft
// sheet presented over a window.
struct DraftFixture : test::StudioFixture
{
    QWidget window;
    SheetPresenter presenter{model.get(), &window, Sheet::metadataDraft};

    DraftFixture()
    {
        openProject();
        model->editProject([](StudioProject &project) { project.publish = projectPublish(); });
        presenter.setContent(MetadataDraftReview::content());
        window.resize(800, 600);
        window.show();
    }

    static PublishSettings projectPublish()
    {
        PublishSettings publish;
        publish.title = QStringLiteral("Summer");
        publish.description = QStringLiteral("What we wrote ourselves.");
        publish.tags = QStringLiteral("holiday");
        publish.privacy = QStringLiteral("unlisted");
        publish.thumbnail = QStringLiteral("/pictures/cover.png");
        publish.madeForKids = true;
        return publish;
    }

    // What the text service answered; its other fields must never reach the project.
    static PublishSettings generated()
    {
        PublishSettings draft;
        draft.title = QStringLiteral("Generated title");
        draft.description = QStringLiteral("A week by the sea.\nBoats and long evenings.");
        draft.tags = QStringLiteral("sea, boats, summer");
        draft.privacy = QStringLiteral("public");
        draft.thumbnail = QStringLiteral("/generated.png");
        return draft;
    }

    void present(const PublishSettings &draft = generated())
    {
        model->setMetadataDraft(draft);
        model->setShowMetadataDraft(true);
        settle();
    }

    QString projectFile() const { return ProjectStore::filePath(*model->root()); }

    QDialog *dialog() const { return presenter.dialog(); }
    MetadataDraftReview *view() const { return dialog() ? dialog()->findChild<MetadataDraftReview *>() : nullptr; }
};

// Replaces the field's text as a user does: everything selected, then typed over.
void typeOver(QWidget *field, const QString &text)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

} // namespace

class tst_MetadataDraftReview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::useStudioLook(); }

    void theSheetShowsTheDraft()
    {
        DraftFixture fixture;
        fixture.present();
        MetadataDraftReview *view = fixture.view();
        QVERIFY(view);
        QCOMPARE(view->description()->toPlainText(), DraftFixture::generated().description);
        QCOMPARE(view->tags()->text(), QStringLiteral("sea, boats, summer"));
        QCOMPARE(view->tags()->placeholderText(), QStringLiteral("Tags, separated by commas"));
        QCOMPARE(view->description()->accessibleName(), QStringLiteral("Draft description"));
        QCOMPARE(view->description()->height(), MetadataDraftReview::descriptionHeight);
        QCOMPARE(view->width(), MetadataDraftReview::sheetWidth);
        QCOMPARE(view->applyButton()->text(), QStringLiteral("Apply draft"));
        QVERIFY(fixture.dialog()->isModal());
    }

    void theMainWindowKeepsAnAppliedDraft()
    {
        test::StudioFixture fixture;
        fixture.openProject();
        test::PresentingWindow window(fixture.model.get(), fixture.home, false);
        fixture.setBusy(true);
        fixture.model->setMetadataDraft(DraftFixture::generated());
        fixture.model->setShowMetadataDraft(true);
        fixture.settle();
        QDialog *sheet = window.sheet(Sheet::metadataDraft);
        QVERIFY(sheet);
        auto *view = sheet->findChild<MetadataDraftReview *>();
        QVERIFY(view);
        view->applyButton()->click();
        fixture.settle();
        QTRY_VERIFY(!window.sheet(Sheet::metadataDraft));
        // The publish metadata lives beside the project file, in the application's settings.
        const PublishSettings kept = SoftwareSettingsStore::open(fixture.home.dataFolder()).publish;
        QCOMPARE(kept.description, DraftFixture::generated().description);
        QCOMPARE(kept.tags, DraftFixture::generated().tags);
        QCOMPARE(kept.title, QString());
    }

    void cancelAndEscapeKeepTheProjectAndTheDraft_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("cancel") << false;
        QTest::newRow("escape") << true;
    }

    void cancelAndEscapeKeepTheProjectAndTheDraft()
    {
        QFETCH(bool, escape);
        DraftFixture fixture;
        fixture.present();
        typeOver(fixture.view()->tags(), QStringLiteral("edited"));
        if (escape)
            QTest::keyClick(fixture.dialog(), Qt::Key_Escape);
        else
            fixture.view()->cancelButton()->click();
        fixture.settle();
        QVERIFY(!fixture.model->showMetadataDraft());
        QTRY_VERIFY(!fixture.dialog());
        QCOMPARE(fixture.model->project().publish, DraftFixture::projectPublish());
        // The draft outlives the sheet, with what was typed into it.
        QCOMPARE(fixture.model->metadataDraft().description, DraftFixture::generated().description);
        QCOMPARE(fixture.model->metadataDraft().tags, QStringLiteral("edited"));
    }

    void applyTakesTheFieldsAsTyped_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("tags");
        QTest::addColumn<bool>("busy");
        QTest::newRow("tags untrimmed and unsplit") << "Edited by hand."
                                                    << " a ,b,, c ,  " << false;
        QTest::newRow("an empty description") << ""
                                              << "sea" << false;
        QTest::newRow("while a job runs") << "Written during a render."
                                          << "render" << true;
    }

    void applyTakesTheFieldsAsTyped()
    {
        QFETCH(QString, description);
        QFETCH(QString, tags);
        QFETCH(bool, busy);
        DraftFixture fixture;
        fixture.present();
        fixture.setBusy(busy);
        fixture.settle();
        MetadataDraftReview *view = fixture.view();
        typeOver(view->description(), description);
        typeOver(view->tags(), tags);
        QVERIFY(view->applyButton()->isEnabled());
        QVERIFY(QFile::remove(fixture.projectFile()));
        view->applyButton()->click();
        // Saved at once, whether or not a job runs.
        QVERIFY(QFileInfo::exists(fixture.projectFile()));
        fixture.settle();

        PublishSettings expected = DraftFixture::projectPublish();
        expected.description = description;
        expected.tags = tags;
        QCOMPARE(fixture.model->project().publish, expected);
        QVERIFY(!fixture.model->showMetadataDraft());
        QTRY_VERIFY(!fixture.dialog());
    }

    void returnAppliesNothing_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("tags field") << "draftTags";
        QTest::newRow("apply button") << "applyDraft";
        QTest::newRow("cancel button") << "cancelDraft";
        QTest::newRow("sheet") << "";
    }

    void returnAppliesNothing()
    {
        QFETCH(QString, focus);
        DraftFixture fixture;
        fixture.present();
        for (QPushButton *button : {fixture.view()->cancelButton(), fixture.view()->applyButton()})
            QVERIFY(!button->isDefault() && !button->autoDefault());
        QWidget *target = focus.isEmpty() ? fixture.dialog() : test::control<QWidget>(fixture.view(), focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        fixture.settle();
        QVERIFY(fixture.dialog());
        QTest::keyClick(target, Qt::Key_Enter);
        fixture.settle();
        QVERIFY(fixture.dialog());
        QVERIFY(fixture.model->showMetadataDraft());
        QCOMPARE(fixture.model->project().publish, DraftFixture::projectPublish());
    }

    void returnInTheDescriptionStartsANewLine()
    {
        DraftFixture fixture;
        PublishSettings draft = DraftFixture::generated();
        draft.description = QStringLiteral("First");
        fixture.present(draft);
        QPlainTextEdit *description = fixture.view()->description();
        description->moveCursor(QTextCursor::End);
        QTest::keyClick(description, Qt::Key_Return);
        QTest::keyClicks(description, QStringLiteral("Second"));
        fixture.settle();
        QCOMPARE(fixture.model->metadataDraft().description, QStringLiteral("First\nSecond"));
        QVERIFY(fixture.model->showMetadataDraft());
        QCOMPARE(fixture.model->project().publish, DraftFixture::projectPublish());
    }

    void pictures_data() { test::lightAndDarkRows(); }

    void pictures()
    {
        QFETCH(bool, dark);
        test::useStudioLook(dark);
        DraftFixture fixture;
        PublishSettings draft = DraftFixture::generated();
        draft.description = QStringLiteral("A week by the sea, the boats and the long evenings. ").repeated(8);
        fixture.present(draft);
        QImage picture = fixture.dialog()->grab().toImage();
        test::keepPicture(picture,
                          QStringLiteral("metadataDraftReview-")
                              + (dark ? QStringLiteral("dark") : QStringLiteral("light")));
        test::useStudioLook();
    }
};

QTEST_MAIN(tst_MetadataDraftReview)
#include "tst_MetadataDraftReview.moc"
