#include "engine/pipeline/PreparationArguments.h"
#include "support/IntermediateEncoding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kinoloom;

class tst_PreparationArguments : public QObject
{
    Q_OBJECT

private slots:
    void gyroflowCommandLine_data();
    void gyroflowCommandLine();
    void gyroflowSettingsHoldExactlyTheFiveMembers();
    void motionFilesAreEscapedForTheGraph();
    void filters_data();
    void filters();
    void mainPass_data();
    void mainPass();
    void conversionCopyKeepsTheExtension_data();
    void conversionCopyKeepsTheExtension();
};

void tst_PreparationArguments::gyroflowCommandLine_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QStringList>("tail");
    QTest::newRow("no preset") << QString() << QStringList{QStringLiteral("/m/clip.mov")};
    QTest::newRow("preset") << QStringLiteral("/p/look.gyroflow")
                            << QStringList{QStringLiteral("--preset"), QStringLiteral("/p/look.gyroflow"),
                                           QStringLiteral("/m/clip.mov")};
}

void tst_PreparationArguments::gyroflowCommandLine()
{
    QFETCH(QString, preset);
    QFETCH(QStringList, tail);
    const QStringList args = PreparationArguments::gyroflow(QStringLiteral("/j/J1"), preset,
                                                            QStringLiteral("/m/clip.mov"));
    QCOMPARE(args.mid(0, 3),
             (QStringList{QStringLiteral("--no-gpu-decoding"), QStringLiteral("-f"), QStringLiteral("-p")}));
    QCOMPARE(args.at(3), QString::fromUtf8(PreparationArguments::gyroflowSettings(QStringLiteral("/j/J1"))));
    QCOMPARE(args.mid(4), tail);
}

void tst_PreparationArguments::gyroflowSettingsHoldExactlyTheFiveMembers()
{
    const QByteArray text = PreparationArguments::gyroflowSettings(QStringLiteral("/j/Dad's \"trip\""));
    QVERIFY(!text.contains('\n'));
    QVERIFY(!text.contains(": "));
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    QCOMPARE(object.size(), 5);
    QCOMPARE(object.value(QStringLiteral("output_path")).toString(), QStringLiteral("/j/Dad's \"trip\""));
    QCOMPARE(object.value(QStringLiteral("output_filename")).toString(), QStringLiteral("gyro.mov"));
    QCOMPARE(object.value(QStringLiteral("codec")).toString(), QStringLiteral("ProRes"));
    QCOMPARE(object.value(QStringLiteral("codec_options")).toString(), QStringLiteral("4444"));
    QVERIFY(object.value(QStringLiteral("use_gpu")).isBool());
    QCOMPARE(object.value(QStringLiteral("use_gpu")).toBool(), false);
}

void tst_PreparationArguments::motionFilesAreEscapedForTheGraph()
{
    const QString motion = QStringLiteral("/p/Dad's trip: day 1, [a]; b/Cache/motion.trf");
    const QStringList args = PreparationArguments::motionAnalysis(QStringLiteral("/m/in.mov"), motion);
    QCOMPARE(args,
             (QStringList{QStringLiteral("-i"), QStringLiteral("/m/in.mov"), QStringLiteral("-vf"),
                          QStringLiteral("vidstabdetect=shakiness=10:result=/p/Dad\\\\\\'s trip\\\\: day 1\\, "
                                         "\\[a\\]\\; b/Cache/motion.trf"),
                          QStringLiteral("-an"), QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")}));
}

void tst_PreparationArguments::filters_data()
{
    QTest::addColumn<QString>("conversion");
    QTest::addColumn<QString>("motion");
    QTest::addColumn<bool>("lens");
    QTest::addColumn<QString>("lut");
    QTest::addColumn<QString>("colourSpace");
    QTest::addColumn<QStringList>("expected");

    const QString vidstab = QStringLiteral("vidstabtransform=input=/j/motion.trf:zoom=0:optzoom=0");
    const QString lens = QStringLiteral("lenscorrection=cx=0.18:cy=0.18,crop=iw*0.86:ih*0.86");
    const QString lut = QStringLiteral("lut3d=file=/j/conversion.cube:interp=tetrahedral");
    const QString cube = QStringLiteral("/j/conversion.cube");
    const QString deinterlace = QStringLiteral("bwdif=mode=send_frame:parity=tff:deint=all");
    QTest::newRow("nothing") << QString() << QString() << false << QString() << QString() << QStringList();
    QTest::newRow("all, in order") << deinterlace << QStringLiteral("/j/motion.trf") << true << cube << QString()
                                   << QStringList{deinterlace, vidstab, lens, lut};
    QTest::newRow("lens only") << QString() << QString() << true << QString() << QStringLiteral("bt709")
                               << QStringList{lens};
    QTest::newRow("lut with an awkward folder")
        << QString() << QString() << false << QStringLiteral("/a:b,c/conversion.cube") << QString()
        << QStringList{QStringLiteral("lut3d=file=/a\\\\:b\\,c/conversion.cube:interp=tetrahedral")};
    QTest::newRow("lut on BT.601 keeps the scaler's matrix")
        << QString() << QString() << false << cube << QStringLiteral("smpte170m") << QStringList{lut};
    QTest::newRow("lut on BT.709 goes back to BT.709")
        << QString() << QString() << false << cube << QStringLiteral("bt709")
        << QStringList{lut,
                       QStringLiteral("scale=out_color_matrix=bt709,format=yuv444p16le,setparams=colorspace=bt709")};
    QTest::newRow("lut on BT.2020")
        << QString() << QString() << false << cube << QStringLiteral("bt2020nc")
        << QStringList{
               lut, QStringLiteral("scale=out_color_matrix=bt2020,format=yuv444p16le,setparams=colorspace=bt2020nc")};
}

void tst_PreparationArguments::filters()
{
    QFETCH(QString, conversion);
    QFETCH(QString, motion);
    QFETCH(bool, lens);
    QFETCH(QString, lut);
    QFETCH(QString, colourSpace);
    QFETCH(QStringList, expected);
    QCOMPARE(PreparationArguments::filters(conversion, motion, lens, lut, colourSpace), expected);
}

void tst_PreparationArguments::mainPass_data()
{
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<bool>("still");
    QTest::addColumn<QStringList>("expected");

    const QString in = QStringLiteral("/m/in.mov");
    QTest::newRow("video without filters") << QStringList() << false
                                           << QStringList{QStringLiteral("-i"), in} + test::intermediateEncoding()
            + QStringList{QStringLiteral("/j/prepared.mkv")};
    QTest::newRow("still with two filters") << QStringList{QStringLiteral("a=1"), QStringLiteral("b=2")} << true
                                            << QStringList{QStringLiteral("-f"),
                                                           QStringLiteral("image2pipe"),
                                                           QStringLiteral("-i"),
                                                           in,
                                                           QStringLiteral("-vf"),
                                                           QStringLiteral("a=1,b=2"),
                                                           QStringLiteral("-frames:v"),
                                                           QStringLiteral("1"),
                                                           QStringLiteral("-update"),
                                                           QStringLiteral("1"),
                                                           QStringLiteral("/j/prepared.png")};
}

void tst_PreparationArguments::mainPass()
{
    QFETCH(QStringList, filters);
    QFETCH(bool, still);
    QFETCH(QStringList, expected);
    QCOMPARE(PreparationArguments::mainPass(QStringLiteral("/m/in.mov"), filters, still, expected.last()), expected);
}

void tst_PreparationArguments::conversionCopyKeepsTheExtension_data()
{
    QTest::addColumn<QString>("lut");
    QTest::addColumn<QString>("name");
    QTest::newRow("cube") << QStringLiteral("/l/Log to Rec709.cube") << QStringLiteral("conversion.cube");
    QTest::newRow("no extension") << QStringLiteral("/l/film") << QStringLiteral("conversion.");
}

void tst_PreparationArguments::conversionCopyKeepsTheExtension()
{
    QFETCH(QString, lut);
    QFETCH(QString, name);
    QCOMPARE(PreparationArguments::conversionFileName(lut), name);
}

QTEST_GUILESS_MAIN(tst_PreparationArguments)
#include "tst_PreparationArguments.moc"
