#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kinoloom::test {

QString supportDir()
{
    return QStringLiteral(KINOLOOM_TEST_SUPPORT_DIR);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace kinoloom::test
