#pragma once

#include "fixture/StudioHome.h"
#include "ui/shell/KinoloomApp.h"

#include <QDir>

namespace kinoloom::test {

// An application living in `home`: its defaults, its scripted environment, its own runtime and
// evidence folders.
inline KinoloomOptions optionsIn(const StudioHome &home, QStringList arguments = {})
{
    KinoloomOptions options;
    options.arguments = QStringList{QStringLiteral("kinoloom")} + arguments;
    options.currentDirectory = home.path(QString());
    options.defaults = home.defaults();
    options.environment = [&home] { return home.environment(); };
    options.runtimeFolder = home.path(QStringLiteral("runtime"));
    options.evidenceFolder = home.path(QStringLiteral("evidence"));
    QDir().mkpath(options.runtimeFolder);
    return options;
}

} // namespace kinoloom::test
