#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

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

QString withSteadyTemporaryDisk(const QString &message)
{
    static const QRegularExpression amount(
        QStringLiteral(R"((System temporary disk "[^"]*" \([^)]*\) has )\S+ \S+( free\.))"));
    QString steady = message;
    return steady.replace(amount, QStringLiteral("\\1…\\2"));
}

} // namespace kinoloom::test
