#include "ui/shell/HelpSearch.h"

#include <QStringList>

namespace kinoloom::HelpSearch {

namespace {

QString searchableText(const HelpTopic &topic)
{
    QStringList parts{topic.id, topic.summary};
    for (const HelpTopic::Section &section : topic.sections)
        parts << section.heading << section.body;
    return parts.join(QLatin1Char(' '));
}

} // namespace

QList<HelpTopic> matching(const QList<HelpTopic> &topics, const QString &query)
{
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty())
        return topics;
    QList<HelpTopic> result;
    for (const HelpTopic &topic : topics) {
        if (searchableText(topic).contains(trimmed, Qt::CaseInsensitive))
            result.append(topic);
    }
    return result;
}

std::optional<HelpTopic> current(const QList<HelpTopic> &results, const std::optional<QString> &selection)
{
    if (selection) {
        for (const HelpTopic &topic : results) {
            if (topic.id == *selection)
                return topic;
        }
    }
    if (results.isEmpty())
        return std::nullopt;
    return results.first();
}

QString windowTitle(const std::optional<HelpTopic> &current)
{
    return (current ? current->id : QStringLiteral("Search")) + QStringLiteral(" · Help");
}

QString footer(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" topic") : QStringLiteral(" topics"))
        + QStringLiteral(" · Available offline");
}

} // namespace kinoloom::HelpSearch
