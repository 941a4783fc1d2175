// A second Kinoloom process for the session tests: a real StudioModel in the test's home.
//
//   session_helper hold <home> <folder>         activates the folder, says "held" (or "refused: <message>"),
//                                               then keeps it until its standard input closes
//   session_helper try <home> <own> <other>     activates its own folder, then tries the other one;
//                                               says "opened" or "refused: <message>", then "root: <open folder>"

#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "session/StudioModel.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.size() < 3)
        return 2;
    const test::StudioHome home(arguments.at(1));
    StudioModel session(home.environment());
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
