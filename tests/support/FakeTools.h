#pragma once

#include <QString>

namespace kinoloom::test {

// Small scripts that play a tool with a particular behaviour, in tests/support/fake-tools:
//   cr-lines               prints a, CR, b, CR LF, c (no final line break)
//   ignores-term           prints "ready", then ignores SIGTERM for a minute
//   exits-on-term          prints "ready", then exits 0 when it receives SIGTERM
//   prints-three-million   prints exactly 3,000,000 bytes (see threeMillionBytes())
//   exits-two              prints "x" and, on standard error, "last words"; exits 2
//   prints-pid-and-sleeps  prints its process id, then sleeps a minute as that process
QString fakeTool(const QString &name);

// The exact output of prints-three-million.
QByteArray threeMillionBytes();

} // namespace kinoloom::test
