#include "ui/shell/KinoloomApp.h"
#include "ui/shell/StudioProxyStyle.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kinoloom"));
    QApplication::setApplicationName(QStringLiteral("Kinoloom"));
    QApplication::setStyle(new kinoloom::StudioProxyStyle);

    kinoloom::KinoloomApp kinoloom(kinoloom::KinoloomOptions::live());
    // Another Kinoloom runs and has been asked to come forward: nothing more to do here.
    if (!kinoloom.claimSingleInstance())
        return 0;
    kinoloom.start();
    return application.exec();
}
