#pragma once

#include "model/ClipGrade.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <functional>

namespace kinoloom::test {

// What the fingerprint tests share. Header-only, so that the support library itself need not
// link the model.

// The arguments of one segment render besides the clip and the settings.
struct SegmentRequest
{
    int width = 1920;
    int height = 1080;
    double duration = 5;
    bool tail = false;
    bool stylish = true;
};

// One change to what a key is made from, for the rows of a table.
using Change = std::function<void(MediaAsset &, ProcessingSettings &, SegmentRequest &)>;

// Moves a file's modification time by whole seconds without changing its content.
inline void touch(const QString &path, int seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime modified = QFileInfo(path).lastModified();
    QVERIFY(file.setFileTime(modified.addSecs(seconds), QFileDevice::FileModificationTime));
}

// Files that keys are made from, and one clip that refers to them.
struct Fixture
{
    QTemporaryDir temp;
    QString clipPath = temp.filePath(QStringLiteral("clip.mov"));
    QString otherClip = temp.filePath(QStringLiteral("other.mov"));
    QString prepared = temp.filePath(QStringLiteral("prepared.mkv"));
    QString lut = temp.filePath(QStringLiteral("look.cube"));
    QString otherLut = temp.filePath(QStringLiteral("other.cube"));
    QString conversion = temp.filePath(QStringLiteral("conversion.cube"));
    QString preset = temp.filePath(QStringLiteral("preset.json"));
    QString music = temp.filePath(QStringLiteral("music.m4a"));

    Fixture()
    {
        for (const QString &path : {clipPath, otherClip, prepared, music})
            test::writeFile(path, QByteArray(100, 'm'));
        test::writeFile(lut, "LUT_3D_SIZE 2\n");
        test::writeFile(otherLut, "LUT_3D_SIZE 2\n");
        test::writeFile(conversion, "LUT_3D_SIZE 2\n# log\n");
        test::writeFile(preset, "{}");
    }

    MediaAsset clip() const
    {
        MediaAsset asset = MediaAsset::create(clipPath, QStringLiteral("Clip"), 12, 1920, 1080, 30, true, false);
        asset.id = QUuid(QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
        asset.grade = ClipGrade();
        asset.grade->stylishLUT = lut;
        return asset;
    }
};

} // namespace kinoloom::test

Q_DECLARE_METATYPE(kinoloom::test::Change)
