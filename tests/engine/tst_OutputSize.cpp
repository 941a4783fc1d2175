#include "engine/disk/DiskSpaceCheck.h"
#include "engine/disk/Volumes.h"
#include "engine/pipeline/Pipeline.h"
#include "model/StudioProject.h"

#include <QtTest>

using namespace kinoloom;

namespace {

MediaAsset clip(int width, int height, bool image = false, double cropScale = 1, double duration = 10)
{
    MediaAsset asset = MediaAsset::create(QStringLiteral("/media/clip.mov"), QStringLiteral("clip.mov"), duration,
                                          width, height, 30, true, image);
    asset.setCropScale(cropScale);
    return asset;
}

MediaAsset withRole(MediaAsset asset, ClipRole role)
{
    asset.role = role;
    return asset;
}

constexpr qint64 margin = 2147483648LL;

qint64 filmBytes(int width, int height, int fps, double lossless, double output)
{
    return Pipeline::estimatedRenderBytes(width, height, fps, lossless, output, 150000000, 1);
}

qint64 shortBytes(int fps, double length)
{
    return Pipeline::estimatedRenderBytes(1080, 1920, fps, length, length, 100000000, 1);
}

} // namespace

class tst_OutputSize : public QObject
{
    Q_OBJECT

private slots:
    void exportSize_data();
    void exportSize();
    void workingSize_data();
    void workingSize();
    void clipDuration_data();
    void clipDuration();
    void estimatedRenderBytes_data();
    void estimatedRenderBytes();
    void insufficientOnlyBelowRequirement();
    void message_data();
    void message();
    void mountPointHolding_data();
    void mountPointHolding();
    void mountInfoIsDecoded();
    void freeBytesOfFolderNotYetMade();
    void diskSpaceCheck_data();
    void diskSpaceCheck();
    void diskSpaceCheckTargetFolder();
    void diskSpaceCheckNeedsClips();
};

void tst_OutputSize::exportSize_data()
{
    QTest::addColumn<ExportResolution>("resolution");
    QTest::addColumn<QList<MediaAsset>>("assets");
    QTest::addColumn<bool>("stillZoom");
    QTest::addColumn<QSize>("expected");

    const QList<MediaAsset> hd = {clip(1920, 1080)};
    QTest::newRow("fixed 720p ignores clips") << ExportResolution::p720 << hd << true << QSize(1280, 720);
    QTest::newRow("fixed 1080p") << ExportResolution::p1080 << hd << true << QSize(1920, 1080);
    QTest::newRow("fixed 1440p") << ExportResolution::p1440 << hd << true << QSize(2560, 1440);
    QTest::newRow("fixed 2160p") << ExportResolution::p2160 << hd << true << QSize(3840, 2160);
    QTest::newRow("source follows the first video") << ExportResolution::source << hd << true << QSize(1920, 1080);
    QTest::newRow("source skips stills before the first video")
        << ExportResolution::source << QList<MediaAsset>{clip(4000, 3000, true), clip(1280, 720)} << true
        << QSize(1280, 720);
    QTest::newRow("source of a portrait video keeps 16:9")
        << ExportResolution::source << QList<MediaAsset>{clip(1080, 1920)} << true << QSize(1080, 606);
    QTest::newRow("source of unsized stills is full 4K")
        << ExportResolution::source << QList<MediaAsset>{clip(0, 0, true), clip(0, 0, true)} << true
        << QSize(3840, 2160);
    QTest::newRow("source of sized stills only, zoomed")
        << ExportResolution::source << QList<MediaAsset>{clip(1920, 1080, true)} << true << QSize(1744, 980);
}

void tst_OutputSize::exportSize()
{
    QFETCH(ExportResolution, resolution);
    QFETCH(QList<MediaAsset>, assets);
    QFETCH(bool, stillZoom);
    QFETCH(QSize, expected);
    ProcessingSettings settings;
    settings.stillZoom = stillZoom;
    QCOMPARE(Pipeline::exportSize(resolution, assets, settings), expected);
}

void tst_OutputSize::workingSize_data()
{
    QTest::addColumn<QList<MediaAsset>>("assets");
    QTest::addColumn<bool>("stillZoom");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QSize>("expected");

    const QSize uhd(3840, 2160);
    QTest::newRow("no clips keep the target") << QList<MediaAsset>{} << true << uhd << uhd;
    QTest::newRow("unsized clips keep the target") << QList<MediaAsset>{clip(0, 720)} << true << uhd << uhd;
    QTest::newRow("HD source for 4K") << QList<MediaAsset>{clip(1920, 1080)} << true << uhd << QSize(1920, 1080);
    QTest::newRow("crop scale 2 halves") << QList<MediaAsset>{clip(1920, 1080, false, 2)} << true << uhd
                                         << QSize(960, 540);
    QTest::newRow("never enlarges beyond the target") << QList<MediaAsset>{clip(7680, 4320)} << true << uhd << uhd;
    QTest::newRow("the most detailed clip wins")
        << QList<MediaAsset>{clip(1280, 720), clip(2560, 1440)} << true << uhd << QSize(2560, 1440);
    QTest::newRow("zoomed still counts 1.1 times")
        << QList<MediaAsset>{clip(1920, 1080, true)} << true << uhd << QSize(1744, 980);
    QTest::newRow("still without zoom counts as it is")
        << QList<MediaAsset>{clip(1920, 1080, true)} << false << uhd << QSize(1920, 1080);
    QTest::newRow("tiny clip is at least 2 x 2") << QList<MediaAsset>{clip(2, 1)} << true << uhd << QSize(2, 2);
    QTest::newRow("odd results are made even")
        << QList<MediaAsset>{clip(1921, 1081)} << true << uhd << QSize(1920, 1080);
    QTest::newRow("wider clip is limited by its height")
        << QList<MediaAsset>{clip(2560, 1080)} << true << uhd << QSize(1920, 1080);
    QTest::newRow("portrait Short target")
        << QList<MediaAsset>{clip(1920, 1080)} << true << QSize(1080, 1920) << QSize(606, 1080);
}

void tst_OutputSize::workingSize()
{
    QFETCH(QList<MediaAsset>, assets);
    QFETCH(bool, stillZoom);
    QFETCH(QSize, target);
    QFETCH(QSize, expected);
    ProcessingSettings settings;
    settings.stillZoom = stillZoom;
    QCOMPARE(Pipeline::workingSize(assets, settings, target.width(), target.height()), expected);
}

void tst_OutputSize::clipDuration_data()
{
    QTest::addColumn<MediaAsset>("asset");
    QTest::addColumn<bool>("cap");
    QTest::addColumn<double>("expected");

    MediaAsset selected = clip(1920, 1080, false, 1, 20);
    selected.clipStart = 2;
    selected.clipEnd = 9.5;
    QTest::newRow("still lasts stillDuration") << clip(800, 600, true) << false << 7.0;
    QTest::newRow("still is capped at five") << clip(800, 600, true) << true << 5.0;
    QTest::newRow("whole video") << clip(1920, 1080, false, 1, 12.5) << false << 12.5;
    QTest::newRow("selected range") << selected << false << 7.5;
    QTest::newRow("capped video") << selected << true << 5.0;
}

void tst_OutputSize::clipDuration()
{
    QFETCH(MediaAsset, asset);
    QFETCH(bool, cap);
    QFETCH(double, expected);
    ProcessingSettings settings;
    settings.stillDuration = 7;
    settings.setFiveSecondClipCap(cap);
    QCOMPARE(Pipeline::clipDuration(asset, settings), expected);
}

void tst_OutputSize::estimatedRenderBytes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fps");
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("output");
    QTest::addColumn<qint64>("bitrate");
    QTest::addColumn<int>("copies");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("margin only") << 1920 << 1080 << 0 << 10.0 << 0.0 << qint64(150000000) << 1 << qint64(2147483648);
    QTest::newRow("negative lengths count as zero")
        << 1920 << 1080 << 30 << -5.0 << -5.0 << qint64(150000000) << 1 << qint64(2147483648);
    // 1920·1080·6·30·10·0.35 = 1,306,368,000; 10 s at 150 Mbit/s = 187,500,000.
    QTest::newRow("film of ten seconds") << 1920 << 1080 << 30 << 10.0 << 10.0 << qint64(150000000) << 1
                                         << qint64(1306368000 + 187500000 + 2147483648LL);
    QTest::newRow("two lossless copies") << 1920 << 1080 << 30 << 10.0 << 0.0 << qint64(0) << 2
                                         << qint64(2 * 1306368000LL + 2147483648LL);
    QTest::newRow("capped at 2^62") << 100000 << 100000 << 1000 << 1e12 << 0.0 << qint64(0) << 1
                                    << qint64(4611686018427387904LL);
}

void tst_OutputSize::estimatedRenderBytes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, fps);
    QFETCH(double, duration);
    QFETCH(double, output);
    QFETCH(qint64, bitrate);
    QFETCH(int, copies);
    QFETCH(qint64, expected);
    QCOMPARE(Pipeline::estimatedRenderBytes(width, height, fps, duration, output, bitrate, copies), expected);
}

void tst_OutputSize::insufficientOnlyBelowRequirement()
{
    const auto check = [](qint64 required, qint64 available) {
        DiskSpaceCheck result;
        result.requiredBytes = required;
        result.availableBytes = available;
        return result;
    };
    QVERIFY(!check(100, 100).isInsufficient());
    QVERIFY(check(101, 100).isInsufficient());
    QVERIFY(!check(99, 100).isInsufficient());
    QCOMPARE(check(1, 2).diskName, QStringLiteral("project disk"));
}

void tst_OutputSize::message_data()
{
    QTest::addColumn<DiskSpaceCheck>("check");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("expected");

    const QString tail = QStringLiteral(
        " If you continue, valid cached clips will be reused and kept. Free space first if needed.");
    QTest::newRow("with disk path") << DiskSpaceCheck{5000000000, 2000000000, QStringLiteral("Footage"),
                                                      QStringLiteral("/media/footage")}
                                    << QString()
                                    << QStringLiteral("Disk \"Footage\" (/media/footage) may need about 5.00 GB free, "
                                                      "but has 2.00 GB free. It is short by about 3.00 GB.")
            + tail;
    QTest::newRow("without disk path, with note")
        << DiskSpaceCheck{3000000000, 1000000000, QStringLiteral("/home/me/Film"), std::nullopt}
        << QStringLiteral(" System temporary disk \"tmp\" (/tmp) has 1.00 GB free.")
        << QStringLiteral("Disk \"/home/me/Film\" may need about 3.00 GB free, but has 1.00 GB free. It is short "
                          "by about 2.00 GB. System temporary disk \"tmp\" (/tmp) has 1.00 GB free.")
            + tail;
    QTest::newRow("shortfall computed even when sufficient")
        << DiskSpaceCheck{1000000000, 3000000000, QStringLiteral("Data"), QStringLiteral("/data")} << QString()
        << QStringLiteral("Disk \"Data\" (/data) may need about 1.00 GB free, but has 3.00 GB free. It is short by "
                          "about -2.00 GB.")
            + tail;
}

void tst_OutputSize::message()
{
    QFETCH(DiskSpaceCheck, check);
    QFETCH(QString, note);
    QFETCH(QString, expected);
    QCOMPARE(check.message(note), expected);
}

void tst_OutputSize::mountPointHolding_data()
{
    QTest::addColumn<QStringList>("mounts");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    const QStringList nested = {QStringLiteral("/"), QStringLiteral("/home"), QStringLiteral("/home/me/usb"),
                                QStringLiteral("/proc")};
    QTest::newRow("longest match, not the first")
        << nested << QStringLiteral("/home/me/usb/Film") << QStringLiteral("/home/me/usb");
    QTest::newRow("the mount itself") << nested << QStringLiteral("/home") << QStringLiteral("/home");
    QTest::newRow("whole components only") << nested << QStringLiteral("/home/me/usbstick") << QStringLiteral("/home");
    QTest::newRow("root holds everything else") << nested << QStringLiteral("/srv/film") << QStringLiteral("/");
    QTest::newRow("trailing slash of a path")
        << nested << QStringLiteral("/home/me/usb/") << QStringLiteral("/home/me/usb");
    QTest::newRow("no mounts") << QStringList() << QStringLiteral("/srv") << QString();
}

void tst_OutputSize::mountPointHolding()
{
    QFETCH(QStringList, mounts);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(volumes::mountPointHolding(path, mounts).value_or(QString()), expected);
}

void tst_OutputSize::mountInfoIsDecoded()
{
    const QByteArray text = "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                            "40 27 8:17 / /media/me/My\\040Disk rw,nosuid - vfat /dev/sdb1 rw\n";
    QCOMPARE(volumes::parseMountInfo(text), (QStringList{QStringLiteral("/"), QStringLiteral("/media/me/My Disk")}));
    QVERIFY(volumes::mountPoints().has_value());
}

void tst_OutputSize::freeBytesOfFolderNotYetMade()
{
    QTemporaryDir dir;
    const std::optional<qint64> free = volumes::freeBytes(dir.filePath(QStringLiteral("not/yet/made")));
    QVERIFY(free.has_value());
    QVERIFY(*free > 0);
}

void tst_OutputSize::diskSpaceCheck_data()
{
    QTest::addColumn<StudioProject>("project");
    QTest::addColumn<bool>("preview");
    QTest::addColumn<qint64>("required");

    const MediaAsset main60 = clip(1920, 1080, false, 1, 60);
    const MediaAsset hook10 = withRole(clip(1920, 1080, false, 1, 10), ClipRole::hook);

    StudioProject plain;
    plain.settings.exportResolution = ExportResolution::p1080;
    plain.assets = {main60};
    QTest::newRow("film without hooks") << plain << false << filmBytes(1920, 1080, 30, 60, 60);

    StudioProject hooked = plain;
    hooked.assets = {hook10, main60, hook10, hook10};
    // Hooks: 1.5 + 1.5 + 3.5 = 6.5; overlap min(3.25, 30, 2) = 2.
    QTest::newRow("three opening hooks") << hooked << false << filmBytes(1920, 1080, 30, 66.5, 64.5);

    StudioProject noOpening = hooked;
    noOpening.settings.includeHooks = false;
    QTest::newRow("hooks not opening the film") << noOpening << false << filmBytes(1920, 1080, 30, 60, 60);

    StudioProject shortHook = plain;
    shortHook.assets = {withRole(clip(1920, 1080, false, 1, 0.5), ClipRole::hook), main60};
    shortHook.settings.fps = 25;
    // 0.5 s rounds up to 13 frames at 25 fps; overlap half of that.
    QTest::newRow("hook shorter than its cap") << shortHook << false << filmBytes(1920, 1080, 25, 60.52, 60.26);

    StudioProject noFps = hooked;
    noFps.settings.fps = 0;
    QTest::newRow("fps 0 leaves the margin") << noFps << false << margin;

    StudioProject withShort = hooked;
    withShort.settings.makeShort = true;
    QTest::newRow("film and Short") << withShort << false
                                    << filmBytes(1920, 1080, 30, 66.5, 64.5) + shortBytes(30, 30.0);

    StudioProject shortNoFps = withShort;
    shortNoFps.settings.fps = 0;
    QTest::newRow("Short is not snapped") << shortNoFps << false << margin + shortBytes(0, 30.0);

    StudioProject cappedShort = withShort;
    cappedShort.settings.setFiveSecondClipCap(true);
    cappedShort.settings.includeHooks = false;
    QTest::newRow("Short with the five-second cap")
        << cappedShort << false << filmBytes(1920, 1080, 30, 5, 5) + shortBytes(30, 15.0);

    StudioProject stills = plain;
    stills.assets = {withRole(clip(1920, 1080, true), ClipRole::hook), main60};
    stills.settings.makeShort = true;
    stills.settings.includeHooks = false;
    QTest::newRow("still hook in a Short lasts 59 s")
        << stills << false << filmBytes(1920, 1080, 30, 60, 60) + shortBytes(30, 59.0);

    StudioProject preview = withShort;
    preview.assets = {main60, clip(1920, 1080, false, 1, 60), hook10};
    QTest::newRow("preview: first clip, five seconds, no Short") << preview << true << filmBytes(1920, 1080, 30, 5, 5);

    StudioProject workingSize = plain;
    workingSize.settings.exportResolution = ExportResolution::p2160;
    // Its segments may be 8-bit ones at the 4K frame: four bytes of six for 3840 × 2160 pixels.
    QTest::newRow("film scaled up to its frame") << workingSize << false << filmBytes(3840, 1440, 30, 60, 60);
    StudioProject working = plain;
    working.assets = {clip(3200, 1800, false, 1, 60)};
    working.settings.exportResolution = ExportResolution::p2160;
    QTest::newRow("film at the working size") << working << false << filmBytes(3200, 1800, 30, 60, 60);
    QTest::newRow("preview at the export size") << workingSize << true << filmBytes(3840, 2160, 30, 5, 5);
}

void tst_OutputSize::diskSpaceCheck()
{
    QFETCH(StudioProject, project);
    QFETCH(bool, preview);
    QFETCH(qint64, required);
    QTemporaryDir root;
    const std::optional<DiskSpaceCheck> check = Pipeline::diskSpaceCheck(project, root.path(), preview);
    QVERIFY(check.has_value());
    QCOMPARE(check->requiredBytes, required);
    QVERIFY(check->availableBytes > 0);
}

void tst_OutputSize::diskSpaceCheckTargetFolder()
{
    QTemporaryDir root;
    QTemporaryDir elsewhere;
    StudioProject project;
    project.assets = {clip(1920, 1080, false, 1, 60)};
    project.settings.finalOutputPath = elsewhere.filePath(QStringLiteral("Out/Film.mp4"));

    const std::optional<QStringList> mounts = volumes::mountPoints();
    QVERIFY(mounts.has_value());
    std::optional<DiskSpaceCheck> check = Pipeline::diskSpaceCheck(project, root.path(), false);
    QVERIFY(check.has_value());
    // The folder of the final output does not exist yet: measured where it will be made.
    const QString outFolder = elsewhere.filePath(QStringLiteral("Out"));
    QCOMPARE(check->diskPath, volumes::mountPointHolding(outFolder, *mounts));
    const QString label = volumes::volumeName(outFolder);
    QCOMPARE(check->diskName, label.isEmpty() ? outFolder : label);

    // The preview and a run with a Short work in the project folder.
    check = Pipeline::diskSpaceCheck(project, root.path(), true);
    QCOMPARE(check->diskName, label.isEmpty() ? root.path() : label);
    project.settings.makeShort = true;
    check = Pipeline::diskSpaceCheck(project, root.path(), false);
    QCOMPARE(check->diskName, label.isEmpty() ? root.path() : label);
}

void tst_OutputSize::diskSpaceCheckNeedsClips()
{
    QTemporaryDir root;
    StudioProject project;
    project.assets = {withRole(clip(1920, 1080), ClipRole::hook), withRole(clip(1920, 1080), ClipRole::excluded)};
    QVERIFY(!Pipeline::diskSpaceCheck(project, root.path(), false).has_value());
}

QTEST_GUILESS_MAIN(tst_OutputSize)
#include "tst_OutputSize.moc"
