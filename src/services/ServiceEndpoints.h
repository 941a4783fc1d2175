#pragma once

#include <QUrl>

namespace kinoloom {

// Where the services live. The defaults are the real hosts; tests point them at a local server.
struct ServiceEndpoints
{
    QUrl token = QUrl(QStringLiteral("https://oauth2.googleapis.com"));
    QUrl authorization = QUrl(QStringLiteral("https://accounts.google.com"));
    QUrl api = QUrl(QStringLiteral("https://www.googleapis.com"));
    QUrl textGeneration = QUrl(QStringLiteral("https://api.openai.com"));

    bool operator==(const ServiceEndpoints &) const = default;
};

} // namespace kinoloom
