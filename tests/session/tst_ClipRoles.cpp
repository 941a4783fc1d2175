#include "fixture/OpenProject.h"
#include "model/ProjectStore.h"
#include "session/StudioModel.h"

#include <QSignalSpy>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

// Roles in the tables: M main, I intro, E end, H hook, X excluded.
const QList<std::pair<QChar, ClipRole>> roleLetters{{QLatin1Char('M'), ClipRole::main},
                                                    {QLatin1Char('I'), ClipRole::intro},
                                                    {QLatin1Char('E'), ClipRole::outro},
                                                    {QLatin1Char('H'), ClipRole::hook},
                                                    {QLatin1Char('X'), ClipRole::excluded}};

ClipRole roleOf(QChar letter)
{
    for (const auto &[known, role] : roleLetters) {
        if (known == letter)
            return role;
    }
    qFatal("unknown role letter");
}

QChar letterOf(ClipRole role)
{
    for (const auto &[letter, known] : roleLetters) {
        if (known == role)
            return letter;
    }
    return QLatin1Char('?');
}

// "A:H B:M": clips named A and B, a hook and a main clip, in this order.
QList<MediaAsset> clips(const QString &text)
{
    QList<MediaAsset> assets;
    for (const QString &item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        MediaAsset asset = MediaAsset::create(QStringLiteral("/footage/") + item.left(1) + QStringLiteral(".mp4"),
                                              item.left(1), 4.0, 320, 180, 30, true, false);
        asset.role = roleOf(item.at(2));
        assets.append(asset);
    }
    return assets;
}

QString describe(const QList<MediaAsset> &assets)
{
    QStringList items;
    for (const MediaAsset &asset : assets)
        items.append(asset.name + QLatin1Char(':') + letterOf(asset.role));
    return items.join(QLatin1Char(' '));
}

// "setRole B H", "assign X H 1", "assign X H -", "duplicate A", "moveSelection A -1", "move A C":
// the operation and, first, the clip it selects (setRole, duplicate and moveSelection act on the
// selection).
void perform(OpenProject &open, const QString &operation)
{
    StudioModel &model = *open.model;
    const QStringList words = operation.split(QLatin1Char(' '));
    const QString &verb = words.at(0);
    if (verb == QLatin1String("setRole")) {
        model.selectAsset(open.id(words.at(1)));
        model.setRole(roleOf(words.at(2).at(0)));
    } else if (verb == QLatin1String("assign")) {
        const std::optional<int> slot = words.at(3) == QLatin1String("-") ? std::nullopt
                                                                          : std::optional(words.at(3).toInt());
        model.assignRole(open.id(words.at(1)), roleOf(words.at(2).at(0)), slot);
    } else if (verb == QLatin1String("duplicate")) {
        model.selectAsset(open.id(words.at(1)));
        model.duplicateAsHook();
    } else if (verb == QLatin1String("moveSelection")) {
        model.selectAsset(open.id(words.at(1)));
        model.moveSelection(words.at(2).toInt());
    } else if (verb == QLatin1String("move")) {
        model.move(open.id(words.at(1)), open.id(words.at(2)));
    } else {
        qFatal("unknown operation");
    }
}

QString limit()
{
    return QStringLiteral("Choose at most five hooks.");
}

} // namespace

class tst_ClipRoles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rolesAndOrder_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("error");
        const QString five = QStringLiteral("A:H B:H C:H D:H E:H F:M");
        // The dropped clip takes the slot's rank; the hooks keep the places hooks held.
        QTest::newRow("main dropped on an occupied slot") << "A:H B:H C:H X:M"
                                                          << "assign X H 1"
                                                          << "A:H B:M X:H C:H"
                                                          << "X"
                                                          << "";
        QTest::newRow("hook dropped on a later slot") << "A:H B:H C:H"
                                                      << "assign A H 2"
                                                      << "B:H C:H A:H"
                                                      << "A"
                                                      << "";
        QTest::newRow("hook dropped on an earlier slot") << "A:H M:M B:H C:H"
                                                         << "assign C H 0"
                                                         << "C:H M:M A:H B:H"
                                                         << "C"
                                                         << "";
        QTest::newRow("slot beyond the hooks") << "A:H B:H C:M"
                                               << "assign C H 4"
                                               << "A:H B:H C:H"
                                               << "C"
                                               << "";
        QTest::newRow("negative slot takes the first") << "A:H B:M"
                                                       << "assign B H -3"
                                                       << "A:M B:H"
                                                       << "B"
                                                       << "";
        QTest::newRow("five hooks, occupied slot") << five << "assign F H 1"
                                                   << "A:H B:M F:H C:H D:H E:H"
                                                   << "F"
                                                   << "";
        QTest::newRow("five hooks, no slot") << five << "assign F H -" << five << "A" << limit();
        QTest::newRow("five hooks, slot past the last") << five << "assign F H 5" << five << "A" << limit();
        QTest::newRow("a hook of five dropped again") << five << "assign E H 0"
                                                      << "E:H A:H B:H C:H D:H F:M"
                                                      << "E"
                                                      << "";
        QTest::newRow("setRole hook on one of five hooks") << five << "setRole C H" << five << "C"
                                                           << "";
        QTest::newRow("setRole hook on a sixth clip") << five << "setRole F H" << five << "F" << limit();
        QTest::newRow("setRole intro replaces the intro") << "A:I B:M"
                                                          << "setRole B I"
                                                          << "A:M B:I"
                                                          << "B"
                                                          << "";
        QTest::newRow("setRole end replaces the end") << "A:M B:E C:H"
                                                      << "setRole C E"
                                                      << "A:M B:M C:E"
                                                      << "C"
                                                      << "";
        QTest::newRow("setRole excluded") << "A:H B:I"
                                          << "setRole B X"
                                          << "A:H B:X"
                                          << "B"
                                          << "";
        QTest::newRow("drop on START") << "A:I B:M C:M"
                                       << "assign C I -"
                                       << "A:M B:M C:I"
                                       << "C"
                                       << "";
        QTest::newRow("drop on END ignores a slot") << "A:E B:M"
                                                    << "assign B E 3"
                                                    << "A:M B:E"
                                                    << "B"
                                                    << "";
        QTest::newRow("intro dropped on a hook slot") << "A:I B:H"
                                                      << "assign A H -"
                                                      << "B:H A:H"
                                                      << "A"
                                                      << "";
        QTest::newRow("drop of an unknown clip") << "A:H B:M"
                                                 << "assign Z H 0"
                                                 << "A:H B:M"
                                                 << "A"
                                                 << "";
        QTest::newRow("earlier from the first") << "A:M B:M C:M"
                                                << "moveSelection A -1"
                                                << "A:M B:M C:M"
                                                << "A"
                                                << "";
        QTest::newRow("later from the last") << "A:M B:M C:M"
                                             << "moveSelection C 1"
                                             << "A:M B:M C:M"
                                             << "C"
                                             << "";
        QTest::newRow("later from the first") << "A:M B:M C:M"
                                              << "moveSelection A 1"
                                              << "B:M A:M C:M"
                                              << "A"
                                              << "";
        QTest::newRow("earlier from the last") << "A:M B:H C:M"
                                               << "moveSelection C -1"
                                               << "A:M C:M B:H"
                                               << "C"
                                               << "";
        QTest::newRow("move towards the end") << "A:M B:M C:M D:M"
                                              << "move A C"
                                              << "B:M C:M A:M D:M"
                                              << "A"
                                              << "";
        QTest::newRow("move towards the start") << "A:M B:M C:M D:M"
                                                << "move D B"
                                                << "A:M D:M B:M C:M"
                                                << "A"
                                                << "";
        QTest::newRow("move onto itself") << "A:M B:M"
                                          << "move B B"
                                          << "A:M B:M"
                                          << "A"
                                          << "";
        QTest::newRow("duplicate as hook") << "A:M B:H"
                                           << "duplicate A"
                                           << "A:M B:H A:H"
                                           << "A"
                                           << "";
        QTest::newRow("duplicate counts every hook") << "A:H B:H C:H D:H E:H"
                                                     << "duplicate A"
                                                     << "A:H B:H C:H D:H E:H"
                                                     << "A" << limit();
    }
    void rolesAndOrder()
    {
        QFETCH(QString, before);
        QFETCH(QString, operation);
        QFETCH(QString, after);
        QFETCH(QString, selected);
        QFETCH(QString, error);
        OpenProject open(clips(before));
        StudioModel &model = *open.model;
        model.selectAsset(model.project().assets.constFirst().id);
        const QByteArray fileBefore = open.file();
        QSignalSpy saves(&model, &StudioModel::saveStatusChanged);

        perform(open, operation);

        QCOMPARE(describe(model.project().assets), after);
        QCOMPARE(model.error().value_or(QString()), error);
        QVERIFY(model.asset());
        QCOMPARE(model.asset()->name, selected);
        const bool refused = !error.isEmpty() || before == after;
        if (operation.startsWith(QLatin1String("duplicate")) && error.isEmpty())
            QCOMPARE(*model.selection(), model.project().assets.constLast().id);
        // A refusal and a move that goes nowhere write nothing; everything else is saved.
        if (refused && !operation.startsWith(QLatin1String("setRole"))) {
            QCOMPARE(saves.count(), 0);
            QCOMPARE(open.file(), fileBefore);
        } else {
            QCOMPARE(saves.count() > 0, error.isEmpty());
            QCOMPARE(ProjectStore::open(open.folder).assets, model.project().assets);
        }
    }

    void duplicateIsIndependentOfItsOriginal()
    {
        QList<MediaAsset> assets = clips(QStringLiteral("A:M"));
        assets[0].clipStart = 0.5;
        assets[0].clipEnd = 2.5;
        assets[0].grade = ClipGrade();
        assets[0].grade->saturation = 1.3;
        assets[0].cropScaleValue = 1.2;
        assets[0].thumbnail = QStringLiteral("/project/Cache/A.jpg");
        OpenProject open(assets);
        StudioModel &model = *open.model;
        const MediaAsset original = model.project().assets.constFirst();
        model.selectAsset(original.id);
        model.duplicateAsHook();

        MediaAsset copy = model.project().assets.constLast();
        QVERIFY(copy.id != original.id);
        QCOMPARE(copy.role, ClipRole::hook);
        copy.id = original.id;
        copy.role = original.role;
        QCOMPARE(copy, original);

        // Removing the original leaves the copy as it was.
        const MediaAsset duplicate = model.project().assets.constLast();
        model.selectAsset(original.id);
        model.removeSelection();
        QCOMPARE(model.project().assets, QList<MediaAsset>{duplicate});
        QCOMPARE(ProjectStore::open(open.folder).assets, QList<MediaAsset>{duplicate});
    }

    void busySessionChangesAndWritesNothing_data()
    {
        QTest::addColumn<QString>("operation");
        for (const char *operation : {"pickFiles", "importURLs", "setMiddleFrameThumbnails", "regenerateThumbnails",
                                      "relink", "removeSelection", "chooseFinalOutputPath", "setRole", "assignRole",
                                      "assignRole START", "duplicateAsHook", "moveSelection", "move"})
            QTest::newRow(operation) << QString::fromLatin1(operation);
    }
    void busySessionChangesAndWritesNothing()
    {
        QFETCH(QString, operation);
        OpenProject open(clips(QStringLiteral("A:M B:H C:I")));
        StudioModel &model = *open.model;
        model.selectAsset(open.id(QStringLiteral("A")));
        open.home.panels->openAnswers = {{QStringLiteral("/footage/new.mp4")}};
        open.home.panels->saveAnswers = {QStringLiteral("/films/Trip.mp4")};
        JobProgress running;
        running.phase = JobPhase::running;
        running.stage = QStringLiteral("Rendering export");
        model.setJob(running);
        const StudioProject project = model.project();
        const QByteArray file = open.file();
        const std::optional<QUuid> selection = model.selection();

        if (operation == QLatin1String("pickFiles"))
            model.pickFiles();
        else if (operation == QLatin1String("importURLs"))
            model.importURLs({QStringLiteral("/footage/new.mp4")});
        else if (operation == QLatin1String("setMiddleFrameThumbnails"))
            model.setMiddleFrameThumbnails(true);
        else if (operation == QLatin1String("regenerateThumbnails"))
            model.regenerateThumbnails();
        else if (operation == QLatin1String("relink"))
            model.relink();
        else if (operation == QLatin1String("removeSelection"))
            model.removeSelection();
        else if (operation == QLatin1String("chooseFinalOutputPath"))
            model.chooseFinalOutputPath();
        else if (operation == QLatin1String("setRole"))
            model.setRole(ClipRole::hook);
        else if (operation == QLatin1String("assignRole"))
            model.assignRole(open.id(QStringLiteral("A")), ClipRole::hook, 0);
        else if (operation == QLatin1String("assignRole START"))
            model.assignRole(open.id(QStringLiteral("B")), ClipRole::intro, std::nullopt);
        else if (operation == QLatin1String("duplicateAsHook"))
            model.duplicateAsHook();
        else if (operation == QLatin1String("moveSelection"))
            model.moveSelection(1);
        else if (operation == QLatin1String("move"))
            model.move(open.id(QStringLiteral("A")), open.id(QStringLiteral("C")));

        QCOMPARE(model.project(), project);
        QCOMPARE(model.selection(), selection);
        QCOMPARE(model.job(), running);
        QCOMPARE(model.error(), std::nullopt);
        QVERIFY(open.home.panels->opened.isEmpty() && open.home.panels->saved.isEmpty());
        QCOMPARE(open.file(), file);
    }
};

QTEST_MAIN(tst_ClipRoles)
#include "tst_ClipRoles.moc"
