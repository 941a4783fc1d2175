#include "fixture/OpenProject.h"
#include "model/ExportCodec.h"
#include "model/ExportResolution.h"
#include "model/Json.h"
#include "model/ProjectStore.h"
#include "session/StudioModel.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

// Real tools on a machine shared with other builds: a job may take a while.
constexpr int jobTimeout = 180000;

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QStringList names(const QList<MediaAsset> &assets)
{
    QStringList names;
    for (const MediaAsset &asset : assets)
        names.append(asset.name);
    return names;
}

QSize jpegSize(const QString &path)
{
    QImageReader reader(path);
    return reader.format() == "jpeg" ? reader.size() : QSize();
}

QString copyOf(const QString &source, const QString &destination)
{
    QFile::remove(destination);
    return QFile::copy(source, destination) ? destination : QString();
}

MediaAsset assetAt(const QString &path, const QString &name, std::optional<QString> thumbnail = std::nullopt)
{
    MediaAsset asset = MediaAsset::create(path, name, 2.0, 320, 180, 30, true, false);
    asset.thumbnail = std::move(thumbnail);
    return asset;
}

} // namespace

class tst_MediaImport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    MediaFixtures m_media{m_sources.path()};

    QString source(const QString &name) const { return m_sources.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!m_media.clip().isEmpty());
        QVERIFY(!m_media.silentClip().isEmpty());
    }

    void importListsTheFileThatFailedAndResumeTakesOnlyWhatIsLeft()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        const QString first = copyOf(m_media.clip(), source(QStringLiteral("first.mp4")));
        const QString second = source(QStringLiteral("second.mp4"));
        QVERIFY(writeFile(second, "not a movie"));
        const QString third = copyOf(m_media.silentClip(), source(QStringLiteral("third.mov")));
        // What the project file held at each save.
        QList<QStringList> savedNames;
        connect(&model, &StudioModel::saveStatusChanged, this, [&] { savedNames.append(names(open.saved())); });

        model.setCopyImports(true);
        model.importURLs({first, second, third});
        QCOMPARE(model.job().stage, QStringLiteral("Importing media"));
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);

        const QString failure = QStringLiteral("second.mp4: The video details could not be read. Check that the "
                                               "file is available and complete, then try again.");
        QCOMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.error(), std::optional(failure));
        QCOMPARE(model.job().stage, QStringLiteral("Failed at Importing 3 of 3 · third.mov"));
        QCOMPARE(model.job().overallFraction, std::nullopt);
        const QStringList imported{QStringLiteral("first.mp4"), QStringLiteral("third.mov")};
        QCOMPARE(names(model.project().assets), imported);
        // Saved after each file, then once more when the job ended.
        QCOMPARE(savedNames, (QList<QStringList>{{QStringLiteral("first.mp4")}, imported, imported}));
        QCOMPARE(model.selection(), std::optional(model.project().assets.at(1).id));
        const MediaAsset copied = model.project().assets.at(1);
        QCOMPARE(copied.path, open.media() + QLatin1Char('/') + json::uuidText(copied.id) + QStringLiteral(".mov"));
        QCOMPARE(entries(open.media()).size(), 2);
        QVERIFY(model.canRetry());

        // Resume takes the one file that failed, not the two that came in.
        model.retry();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.error(), std::optional(failure));
        QCOMPARE(model.job().stage, QStringLiteral("Failed at Importing 1 of 1 · second.mp4"));
        QCOMPARE(names(model.project().assets), imported);
        QCOMPARE(entries(open.media()).size(), 2);

        QVERIFY(QFile::remove(second));
        QVERIFY(!copyOf(m_media.clip(), second).isEmpty());
        model.retry();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::completed);
        const QStringList all = imported + QStringList{QStringLiteral("second.mp4")};
        QCOMPARE(names(model.project().assets), all);
        QCOMPARE(names(open.saved()), all);
        QCOMPARE(model.selection(), std::optional(model.project().assets.at(2).id));
        QCOMPARE(entries(open.media()).size(), 3);
        QCOMPARE(entries(open.folder + QStringLiteral("/Cache")).filter(QStringLiteral(".jpg")).size(), 3);
    }

    void cancelDuringTheSecondFileKeepsTheFirstAndNoPartialCopy()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        const QString first = copyOf(m_media.clip(), source(QStringLiteral("before.mp4")));
        // A real movie followed by two gigabytes of nothing: it probes like the clip, and its
        // copy takes long enough to be cancelled in the middle. The hole costs no disk.
        const QString large = copyOf(m_media.clip(), source(QStringLiteral("large.mp4")));
        QVERIFY(QFile(large).resize(qint64(2) << 30));
        const QString last = copyOf(m_media.clip(), source(QStringLiteral("after.mp4")));
        const auto removeLarge = qScopeGuard([&large] { QFile::remove(large); });

        model.setCopyImports(true);
        model.importURLs({first, large, last});
        const auto copyingLarge = [&] {
            return model.job().stage == QStringLiteral("Importing 2 of 3 · large.mp4")
                && !entries(open.media()).filter(QStringLiteral("partial-")).isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(copyingLarge(), jobTimeout);
        model.cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);

        QCOMPARE(model.job().phase, JobPhase::cancelled);
        QCOMPARE(model.job().stage, QStringLiteral("Cancelled — completed work is preserved"));
        QCOMPARE(model.error(), std::nullopt);
        QCOMPARE(names(model.project().assets), QStringList{QStringLiteral("before.mp4")});
        QCOMPARE(names(open.saved()), QStringList{QStringLiteral("before.mp4")});
        QCOMPARE(entries(open.media()), QStringList{QFileInfo(model.project().assets.constFirst().path).fileName()});
        QVERIFY(model.canRetry());
    }

    void importByReferenceSkipsPathsAlreadyInTheProject()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        // Two files whose names differ only in their Unicode normalisation are two files.
        const QString composed = copyOf(m_media.clip(), source(QStringLiteral("caf\u00e9.mp4")));
        const QString decomposed = copyOf(m_media.silentClip(), source(QStringLiteral("cafe\u0301.mp4")));
        QVERIFY(!composed.isEmpty() && !decomposed.isEmpty());

        model.importURLs({composed});
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.project().assets.size(), 1);
        QCOMPARE(model.project().assets.constFirst().path, composed);

        model.importURLs({composed, decomposed, composed});
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(model.project().assets.size(), 2);
        QCOMPARE(model.project().assets.at(1).path, decomposed);
        QVERIFY(!model.project().assets.at(1).hasAudio);

        // Only files already there: the job completes and the project stays as it was.
        const StudioProject before = model.project();
        const QByteArray file = open.file();
        model.importURLs({decomposed, composed});
        QVERIFY(model.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(model.project(), before);
        QCOMPARE(open.file(), file);
        QCOMPARE(entries(open.media()), QStringList());

        // An empty list starts no job.
        QSignalSpy jobChanges(&model, &StudioModel::jobChanged);
        model.importURLs({});
        QCOMPARE(jobChanges.count(), 0);
        QCOMPARE(model.job().phase, JobPhase::completed);
    }

    void importPanelSaysWhereFilesGo_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("message");
        QTest::newRow("copying") << true << "Files will be copied into the project.";
        QTest::newRow("referencing") << false << "Files will be referenced at their current locations.";
    }
    void importPanelSaysWhereFilesGo()
    {
        QFETCH(bool, copy);
        QFETCH(QString, message);
        OpenProject open;
        StudioModel &model = *open.model;
        model.setCopyImports(copy);
        model.pickFiles();
        QCOMPARE(open.home.panels->opened.size(), 1);
        const OpenPanel panel = open.home.panels->opened.constFirst();
        QCOMPARE(panel.prompt, QStringLiteral("Import"));
        QCOMPARE(panel.message, message);
        QVERIFY(panel.allowsMultipleSelection);
        QVERIFY(!panel.directories);
        // Movies and stills at once, in either case of their extensions.
        const QString both = panel.nameFilters.constFirst();
        for (const char *pattern : {"*.mp4", "*.MOV", "*.mts", "*.jpg", "*.PNG", "*.heic"})
            QVERIFY2(both.contains(QLatin1String(pattern)), pattern);
        // The panel was cancelled: no job.
        QCOMPARE(model.job().phase, JobPhase::idle);
    }

    void nothingIsImportedWithoutAnOpenProject()
    {
        StudioHome home;
        StudioModel model(home.environment());
        model.pickFiles();
        model.importURLs({m_media.clip()});
        QCOMPARE(home.panels->opened.size(), 0);
        QCOMPARE(model.job().phase, JobPhase::idle);
    }

    void savePanelProposesTheFilmsName_data()
    {
        QTest::addColumn<std::optional<ExportCodec>>("codec");
        QTest::addColumn<std::optional<ExportResolution>>("resolution");
        QTest::addColumn<std::optional<QString>>("chosenBefore");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("suffix");
        const std::optional<QString> none;
        QTest::newRow("H.264 at 1080p") << std::optional(ExportCodec::h264) << std::optional(ExportResolution::p1080)
                                        << none << "Movie-1080p.mp4"
                                        << "mp4";
        QTest::newRow("ProRes at the source size")
            << std::optional(ExportCodec::prores) << std::optional(ExportResolution::source) << none
            << "Movie-3840x2160.mov"
            << "mov";
        QTest::newRow("FFV1, no resolution chosen")
            << std::optional(ExportCodec::ffv1) << std::optional<ExportResolution>() << none << "Movie-4K.mkv"
            << "mkv";
        QTest::newRow("nothing chosen") << std::optional<ExportCodec>() << std::optional<ExportResolution>() << none
                                        << "Movie-4K.mp4"
                                        << "mp4";
        QTest::newRow("a path chosen before")
            << std::optional(ExportCodec::ffv1) << std::optional(ExportResolution::p720)
            << std::optional<QString>("/Films/Trip.mov") << "Trip.mov"
            << "mkv";
        QTest::newRow("an empty path") << std::optional(ExportCodec::hevc) << std::optional(ExportResolution::p1440)
                                       << std::optional<QString>("") << "Movie-1440p.mp4"
                                       << "mp4";
    }
    void savePanelProposesTheFilmsName()
    {
        QFETCH(std::optional<ExportCodec>, codec);
        QFETCH(std::optional<ExportResolution>, resolution);
        QFETCH(std::optional<QString>, chosenBefore);
        QFETCH(QString, name);
        QFETCH(QString, suffix);
        OpenProject open;
        StudioModel &model = *open.model;
        model.editProject([&](StudioProject &project) {
            project.settings.exportCodec = codec;
            project.settings.exportResolution = resolution;
            project.settings.finalOutputPath = chosenBefore;
        });
        const QString chosen = open.home.path(QStringLiteral("Films/Summer.") + suffix);
        open.home.panels->saveAnswers = {chosen};
        model.chooseFinalOutputPath();
        QCOMPARE(open.home.panels->saved.size(), 1);
        const SavePanel panel = open.home.panels->saved.constFirst();
        QCOMPARE(panel.suggestedName, name);
        QCOMPARE(panel.defaultSuffix, suffix);
        QCOMPARE(panel.message, QStringLiteral("Choose where the final main film should be saved."));
        QCOMPARE(panel.directory, QString());
        QCOMPARE(model.project().settings.finalOutputPath, std::optional(chosen));

        // A cancelled panel keeps the path.
        model.chooseFinalOutputPath();
        QCOMPARE(model.project().settings.finalOutputPath, std::optional(chosen));
    }

    void resourceChoiceStoresThePath()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        const QString lut = source(QStringLiteral("look.cube"));
        open.home.panels->openAnswers = {{lut}, {}};
        const QStringList filters{QStringLiteral("Look-up tables (*.cube)")};
        model.chooseResource(&ProcessingSettings::stylishLUT, filters);
        QCOMPARE(model.project().settings.stylishLUT, lut);
        QCOMPARE(open.home.panels->opened.constFirst().nameFilters, filters);
        QVERIFY(!open.home.panels->opened.constFirst().allowsMultipleSelection);
        model.chooseResource(&ProcessingSettings::stylishLUT, filters);
        QCOMPARE(model.project().settings.stylishLUT, lut);
    }

    void thumbnailsAreRewrittenInPlaceCountingEveryAsset()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        const QString cache = open.folder + QStringLiteral("/Cache/");
        QList<MediaAsset> assets{
            assetAt(m_media.clip(), QStringLiteral("a.mp4"), cache + QStringLiteral("a.jpg")),
            assetAt(m_media.still(), QStringLiteral("b.png"), cache + QStringLiteral("b.jpg")),
            assetAt(m_media.clip(), QStringLiteral("c.mp4")),
            assetAt(m_media.silentClip(), QStringLiteral("d.mp4"), cache + QStringLiteral("d.jpg"))};
        assets[1].isImage = true;
        for (const QString name : {"a.jpg", "b.jpg", "d.jpg"})
            QVERIFY(writeFile(cache + name, "old"));
        open.setAssets(assets);
        QStringList stages;
        connect(&model, &StudioModel::jobChanged, this, [&] {
            if (stages.isEmpty() || stages.constLast() != model.job().stage)
                stages.append(model.job().stage);
        });

        model.setMiddleFrameThumbnails(true);
        QVERIFY(model.project().settings.middleFrameThumbnails);
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(stages,
                 (QStringList{"Updating thumbnails", "Updating thumbnail 1 of 4 · a.mp4",
                              "Updating thumbnail 2 of 4 · b.png", "Updating thumbnail 4 of 4 · d.mp4", "Completed"}));
        for (const QString name : {"a.jpg", "b.jpg", "d.jpg"})
            QCOMPARE(jpegSize(cache + name), QSize(480, 270));
        QVERIFY(!QFileInfo::exists(cache + QStringLiteral("c.jpg")));
        QCOMPARE(model.project().assets, assets);
    }

    void firstFailingThumbnailFailsTheJob()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        const QString cache = open.folder + QStringLiteral("/Cache/");
        open.setAssets({assetAt(source(QStringLiteral("gone.mp4")), QStringLiteral("gone.mp4"),
                                cache + QStringLiteral("gone.jpg")),
                        assetAt(m_media.clip(), QStringLiteral("here.mp4"), cache + QStringLiteral("here.jpg"))});
        QVERIFY(writeFile(cache + QStringLiteral("gone.jpg"), "old"));
        model.regenerateThumbnails();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.job().stage, QStringLiteral("Failed at Updating thumbnail 1 of 2 · gone.mp4"));
        QVERIFY(model.error());
        QCOMPARE(readFile(cache + QStringLiteral("gone.jpg")), QByteArray("old"));
        QVERIFY(!QFileInfo::exists(cache + QStringLiteral("here.jpg")));
        QVERIFY(model.canRetry());
    }

    void relinkKeepsTheClipsIdentityRoleAndPlace()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        MediaAsset hook = assetAt(source(QStringLiteral("moved-away.mp4")), QStringLiteral("moved-away.mp4"),
                                  open.folder + QStringLiteral("/Cache/old.jpg"));
        hook.role = ClipRole::hook;
        hook.clipStart = 0.5;
        hook.clipEnd = 1.5;
        hook.grade = ClipGrade();
        hook.grade->brightness = 0.2;
        hook.cropScaleValue = 1.4;
        hook.preparation = QStringLiteral("Prepared");
        hook.preparedPath = open.folder + QStringLiteral("/Cache/Render/old.mkv");
        QVERIFY(writeFile(*hook.thumbnail, "old"));
        const MediaAsset before = assetAt(m_media.clip(), QStringLiteral("before.mp4"));
        const MediaAsset after = assetAt(m_media.clip(), QStringLiteral("after.mp4"));
        open.setAssets({before, hook, after});
        model.selectAsset(hook.id);
        const QString found = copyOf(m_media.silentClip(), source(QStringLiteral("found.mov")));
        open.home.panels->openAnswers = {{found}};
        // Referenced where it lies, even with copying on.
        model.setCopyImports(true);

        model.relink();
        const OpenPanel panel = open.home.panels->opened.constFirst();
        QCOMPARE(panel.prompt, QStringLiteral("Relink"));
        QCOMPARE(panel.message, QString());
        QVERIFY(!panel.allowsMultipleSelection);
        QCOMPARE(model.job().stage, QStringLiteral("Relinking media"));
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::completed);
        QVERIFY(!model.canRetry() && !model.canRestart());

        const QList<MediaAsset> assets = model.project().assets;
        QCOMPARE(names(assets), (QStringList{"before.mp4", "found.mov", "after.mp4"}));
        const MediaAsset relinked = assets.at(1);
        QCOMPARE(relinked.id, hook.id);
        QCOMPARE(relinked.role, ClipRole::hook);
        QCOMPARE(relinked.path, found);
        QVERIFY(!relinked.hasAudio);
        QVERIFY(!relinked.clipStart && !relinked.clipEnd && !relinked.grade && !relinked.cropScaleValue
                && !relinked.preparedPath);
        QCOMPARE(relinked.preparation, QStringLiteral("Original"));
        QVERIFY(relinked.thumbnail && *relinked.thumbnail != *hook.thumbnail);
        QCOMPARE(jpegSize(*relinked.thumbnail), QSize(480, 270));
        QCOMPARE(readFile(*hook.thumbnail), QByteArray("old"));
        QCOMPARE(entries(open.media()), QStringList());
        QCOMPARE(model.selection(), std::optional(hook.id));
        QCOMPARE(open.saved(), assets);
    }

    void failedRelinkKeepsTheOldRecord()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        const MediaAsset clip = assetAt(m_media.clip(), QStringLiteral("clip.mp4"));
        open.setAssets({clip});
        model.selectAsset(clip.id);
        const QString broken = source(QStringLiteral("broken.mp4"));
        QVERIFY(writeFile(broken, "not a movie"));

        // A cancelled panel starts nothing.
        model.relink();
        QCOMPARE(model.job().phase, JobPhase::idle);

        open.home.panels->openAnswers = {{broken}};
        model.relink();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.job().stage, QStringLiteral("Failed at Relinking media"));
        QCOMPARE(model.project().assets, QList<MediaAsset>{clip});
        QVERIFY(!model.canRetry());
    }

    void removingAClipKeepsItsFiles()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        const QString kept = copyOf(m_media.clip(), open.media() + QStringLiteral("/kept.mp4"));
        const QString thumbnail = open.folder + QStringLiteral("/Cache/kept.jpg");
        QVERIFY(writeFile(thumbnail, "thumb"));
        const MediaAsset first = assetAt(m_media.clip(), QStringLiteral("first.mp4"));
        const MediaAsset middle = assetAt(kept, QStringLiteral("kept.mp4"), thumbnail);
        const MediaAsset last = assetAt(m_media.silentClip(), QStringLiteral("last.mp4"));
        open.setAssets({first, middle, last});

        model.selectAsset(middle.id);
        model.removeSelection();
        QCOMPARE(names(model.project().assets), (QStringList{"first.mp4", "last.mp4"}));
        QCOMPARE(model.selection(), std::optional(first.id));
        QVERIFY(QFileInfo::exists(kept) && QFileInfo::exists(thumbnail));

        model.removeSelection();
        model.removeSelection();
        QCOMPARE(model.project().assets, QList<MediaAsset>());
        QCOMPARE(model.selection(), std::nullopt);
        QCOMPARE(open.saved(), QList<MediaAsset>());
        QVERIFY(QFileInfo::exists(m_media.clip()) && QFileInfo::exists(m_media.silentClip()));
        // Nothing selected: nothing to remove, nothing saved.
        QSignalSpy saves(&model, &StudioModel::saveStatusChanged);
        model.removeSelection();
        QCOMPARE(saves.count(), 0);
    }
};

QTEST_MAIN(tst_MediaImport)
#include "tst_MediaImport.moc"
