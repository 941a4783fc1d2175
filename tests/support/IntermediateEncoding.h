#pragma once

#include <QStringList>

namespace kinoloom::test {

// How every lossless intermediate the pipeline writes (a prepared clip, a segment) must be
// encoded: the arguments that stand just before its output on the command line.
inline QStringList intermediateEncoding()
{
    return {QStringLiteral("-c:v"),     QStringLiteral("ffv1"),        QStringLiteral("-level"),
            QStringLiteral("3"),        QStringLiteral("-slices"),     QStringLiteral("16"),
            QStringLiteral("-pix_fmt"), QStringLiteral("yuv444p16le"), QStringLiteral("-threads"),
            QStringLiteral("0"),        QStringLiteral("-c:a"),        QStringLiteral("pcm_s24le")};
}

} // namespace kinoloom::test
