#include "support/FakeFFmpegOnPath.h"

#include "support/TestSupport.h"

#include <QFile>

namespace kinoloom::test {

FakeFFmpegOnPath::FakeFFmpegOnPath(const QString &folder, const QByteArray &script, const QString &tool)
    : m_savedPath(qgetenv("PATH"))
{
    const QString program = folder + QLatin1Char('/') + tool;
    writeFile(program, "#!/bin/sh\n" + script);
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner | QFile::ExeUser);
    qputenv("PATH", QFile::encodeName(folder) + ':' + m_savedPath);
}

FakeFFmpegOnPath::~FakeFFmpegOnPath()
{
    qputenv("PATH", m_savedPath);
}

} // namespace kinoloom::test
