#pragma once

#include <QList>
#include <QString>

namespace kinoloom {

// One topic of the built-in help. The title is its identity: no two topics share one.
struct HelpTopic
{
    struct Section
    {
        QString heading;
        QString body;
    };

    QString id;
    QString symbol;
    QString summary;
    QList<Section> sections;

    // The nine topics, in the order the help lists them. Built on first use.
    static const QList<HelpTopic> &all();
};

} // namespace kinoloom
