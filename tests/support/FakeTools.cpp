#include "support/FakeTools.h"

#include "support/TestSupport.h"

namespace kinoloom::test {

QString fakeTool(const QString &name)
{
    return supportDir() + QStringLiteral("/fake-tools/") + name;
}

QByteArray threeMillionBytes()
{
    QByteArray bytes;
    bytes.reserve(7'000'000);
    for (int n = 1; n <= 1'000'000; ++n) {
        bytes += QByteArray::number(n);
        bytes += '\n';
    }
    bytes.truncate(3'000'000);
    return bytes;
}

} // namespace kinoloom::test
