#include "ui/shell/AlertMessage.h"

#include <QTextBoundaryFinder>

namespace kinoloom {

namespace {

constexpr int longest = 300;
constexpr int kept = 297;

bool isNewline(QChar character)
{
    switch (character.unicode()) {
    case 0x000A: // line feed
    case 0x000B: // vertical tab
    case 0x000C: // form feed
    case 0x000D: // carriage return
    case 0x0085: // next line
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default: return false;
    }
}

QString firstLine(const QString &text)
{
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (isNewline(text.at(index)))
            return text.left(index);
    }
    return text;
}

// Where each of the first `count` graphemes ends, counted in UTF-16 units; the whole length
// when the text has no more than `count`.
qsizetype graphemeEnd(const QString &text, int count, int *found)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int graphemes = 0;
    qsizetype end = 0;
    while (graphemes < count) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        end = next;
        ++graphemes;
    }
    *found = graphemes;
    return end;
}

} // namespace

QString alertMessage(const std::optional<QString> &error)
{
    if (!error)
        return QStringLiteral("The operation could not be completed.");
    const QString line = firstLine(*error);
    int graphemes = 0;
    graphemeEnd(line, longest + 1, &graphemes);
    if (graphemes <= longest)
        return line;
    int unused = 0;
    return line.left(graphemeEnd(line, kept, &unused)) + QStringLiteral("...");
}

} // namespace kinoloom
