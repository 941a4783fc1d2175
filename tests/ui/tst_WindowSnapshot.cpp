#include "fixture/StudioHome.h"
#include "model/Workspace.h"
#include "session/StudioModel.h"
#include "ui/shell/WindowSnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/stat.h>
#include <unistd.h>

using namespace kinoloom;

class tst_WindowSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void nameCarriesTitleStageAppearanceAndTruncatedSize_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("appearance");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fractions truncate")
            << QStringLiteral("Project") << QStringLiteral("dark") << QSizeF(1000.6, 728.2)
            << QStringLiteral("Project-Export-dark-1000x728.png");
        QTest::newRow("appearance as stored")
            << QStringLiteral("Kinoloom") << QStringLiteral("Dark") << QSizeF(1440, 900)
            << QStringLiteral("Kinoloom-Export-Dark-1440x900.png");
        QTest::newRow("slash in the title stays in the folder")
            << QStringLiteral("../../etc/passwd") << QStringLiteral("system") << QSizeF(10, 10)
            << QStringLiteral(".._.._etc_passwd-Export-system-10x10.png");
        QTest::newRow("slash in the appearance") << QStringLiteral("Kinoloom") << QStringLiteral("a/b")
                                                 << QSizeF(10, 10) << QStringLiteral("Kinoloom-Export-a_b-10x10.png");
    }
    void nameCarriesTitleStageAppearanceAndTruncatedSize()
    {
        QFETCH(QString, title);
        QFETCH(QString, appearance);
        QFETCH(QSizeF, size);
        QFETCH(QString, expected);
        QCOMPARE(WindowSnapshot::fileName(title, rawValue(Workspace::export_), appearance, size), expected);
    }

    void captureWritesThePictureOfTheGrabbedSizeAndReplacesAnEarlierOne()
    {
        test::StudioHome home;
        StudioModel model(home.environment());
        model.setWorkspace(Workspace::edit);
        const QString folder = home.path(QStringLiteral("evidence"));
        QWidget window;
        window.setWindowTitle(QStringLiteral("Kinoloom"));
        window.resize(1000, 700);

        const QString written = WindowSnapshot::capture(&window, model, QStringLiteral("dark"), folder);
        QCOMPARE(written, QDir(folder).filePath(QStringLiteral("Kinoloom-Edit-dark-1000x700.png")));
        QCOMPARE(QImage(written).size(), QSize(1000, 700));
        QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());

        QFile file(written);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("old");
        file.close();
        QCOMPARE(WindowSnapshot::capture(&window, model, QStringLiteral("dark"), folder), written);
        QCOMPARE(QImage(written).size(), QSize(1000, 700));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("Kinoloom-Edit-dark-1000x700.png")});
        QVERIFY(!model.error());
    }

    void noWindowWritesNothing()
    {
        test::StudioHome home;
        StudioModel model(home.environment());
        const QString folder = home.path(QStringLiteral("evidence"));
        QCOMPARE(WindowSnapshot::capture(nullptr, model, QStringLiteral("system"), folder), QString());
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(!model.error());
    }

    void aFolderThatIsALinkOrAFileIsRefused()
    {
        test::StudioHome home;
        StudioModel model(home.environment());
        QWidget window;
        window.resize(50, 40);
        const QString elsewhere = home.path(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        const QString link = home.path(QStringLiteral("evidence-link"));
        QVERIFY(QFile::link(elsewhere, link));

        QCOMPARE(WindowSnapshot::capture(&window, model, QStringLiteral("system"), link), QString());
        QVERIFY(model.error());
        QVERIFY2(model.error()->contains(link), qPrintable(*model.error()));
        QVERIFY(QDir(elsewhere).isEmpty());

        model.setError(std::nullopt);
        const QString file = home.path(QStringLiteral("evidence-file"));
        QFile plain(file);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QCOMPARE(WindowSnapshot::capture(&window, model, QStringLiteral("system"), file), QString());
        QVERIFY(model.error());
    }

    void aFolderOfAnotherUserIsRefused()
    {
        if (::getuid() != 0)
            QSKIP("Giving a folder to another user needs root");
        test::StudioHome home;
        StudioModel model(home.environment());
        QWidget window;
        window.resize(50, 40);
        const QString folder = home.path(QStringLiteral("theirs"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        QCOMPARE(WindowSnapshot::capture(&window, model, QStringLiteral("system"), folder), QString());
        QVERIFY(model.error());
        QVERIFY2(model.error()->contains(QStringLiteral("another user")), qPrintable(*model.error()));
    }
};

QTEST_MAIN(tst_WindowSnapshot)
#include "tst_WindowSnapshot.moc"
