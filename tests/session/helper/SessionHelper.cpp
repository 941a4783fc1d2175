// A second Kinoloom process for the session tests: a real StudioModel in the test's home.
//
//   session_helper hold <home> <folder>         activates the folder, says "held" (or "refused: <message>"),
//                                               then keeps it until its standard input closes
//   session_helper try <home> <own> <other>     activates its own folder, then tries the other one;
//                                               says "opened" or "refused: <message>", then "root: <open folder>"
//   session_helper upload <home> <folder> <api>  opens the folder, reviews and confirms the upload of its
//                                               selected export to the services at <api>, says "uploading",
//                                               then goes on until killed ("failed: <message>" if refused)
//   session_helper export <home> <folder>       opens the folder and exports its film with the real engine,
//                                               says "exporting", then "ended: <stage>" when the job ends

#include "fixture/JobWait.h"
#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "session/LivePipeline.h"
#include "session/StudioModel.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

using namespace kinoloom;

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// "opened", or "refused: " and the session's sentence.
QString tryToOpen(StudioModel &session, const QString &folder)
{
    try {
        session.activate(ProjectStore::open(folder), folder);
        return QStringLiteral("opened");
    } catch (const StudioError &error) {
        return QStringLiteral("refused: ") + error.message();
    }
}

int upload(StudioModel &session, const QString &folder)
{
    if (tryToOpen(session, folder) != QLatin1String("opened"))
        return 3;
    session.reviewUpload();
    test::waitForJob(session);
    if (!session.showUploadReview()) {
        say(QStringLiteral("failed: ") + session.error().value_or(session.job().stage));
        return 3;
    }
    session.confirmUpload();
    say(QStringLiteral("uploading"));
    test::waitForJob(session);
    say(QStringLiteral("ended: ") + session.job().stage);
    return 0;
}

int exportFilm(StudioModel &session, const QString &folder)
{
    if (tryToOpen(session, folder) != QLatin1String("opened"))
        return 3;
    session.process(false, false, false, false);
    if (!session.busy()) {
        say(QStringLiteral("failed: ") + session.error().value_or(session.job().stage));
        return 3;
    }
    say(QStringLiteral("exporting"));
    test::waitForJob(session);
    say(QStringLiteral("ended: ") + session.job().stage);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // The film's title card is drawn with Qt's painter, which needs the GUI application.
    const bool exporting = argc > 1 && qstrcmp(argv[1], "export") == 0;
    const std::unique_ptr<QCoreApplication> application = exporting ? std::make_unique<QGuiApplication>(argc, argv)
                                                                    : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() < 3)
        return 2;
    test::StudioHome home(arguments.at(1));
    if (exporting) {
        StudioEnvironment environment = home.environment();
        environment.makePipeline = LivePipeline::factory();
        StudioModel session(environment);
        return exportFilm(session, arguments.at(2));
    }
    if (arguments.at(0) == QLatin1String("upload") && arguments.size() == 4)
        home.useServices(QUrl(arguments.at(3)));
    StudioModel session(home.environment());
    if (arguments.at(0) == QLatin1String("upload") && arguments.size() == 4)
        return upload(session, arguments.at(2));
    if (arguments.at(0) == QLatin1String("hold")) {
        const QString outcome = tryToOpen(session, arguments.at(2));
        say(outcome == QLatin1String("opened") ? QStringLiteral("held") : outcome);
        std::string line;
        std::getline(std::cin, line);
        return 0;
    }
    if (arguments.at(0) == QLatin1String("try") && arguments.size() == 4) {
        if (tryToOpen(session, arguments.at(2)) != QLatin1String("opened"))
            return 3;
        say(tryToOpen(session, arguments.at(3)));
        say(QStringLiteral("root: ") + session.root().value_or(QString()));
        return 0;
    }
    return 2;
}
