#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kinoloom"));
    QApplication::setApplicationName(QStringLiteral("Kinoloom"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("From camera footage to a finished, published film."));
    parser.addHelpOption();
    const QCommandLineOption projectOption(
        QStringLiteral("project"), QStringLiteral("Open the project in <folder> at start."), QStringLiteral("folder"));
    parser.addOption(projectOption);
    parser.process(application);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Kinoloom"));
    window.resize(1280, 800);
    window.show();
    return application.exec();
}
