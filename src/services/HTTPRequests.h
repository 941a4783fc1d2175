#pragma once

#include "services/HTTPTransport.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>

#include <utility>

namespace kinoloom {

struct GoogleCredential;

using QueryItems = QList<std::pair<QString, QString>>;

// Form body of the token requests: fields sorted by name, every byte outside the unreserved set
// percent-encoded (so "+" is %2B and a space %20).
QByteArray formBody(const QMap<QString, QString> &fields);

// A request with the conventions every call shares; an empty token sends no Authorization.
HTTPRequest serviceRequest(const QUrl &url, const QByteArray &method, const QString &token = QString());

// `base` with `path` and the query items in the given order.
QUrl serviceAddress(const QUrl &base, const QString &path, const QueryItems &query = {});

// The JSON object of a reply; a status outside `expected` fails with a sentence carrying the
// number, and the body is then not read.
QJsonObject jsonReply(const HTTPResponse &response, const QList<int> &expected);

// The POST to the token service under `tokenBase` on behalf of `client`, with the fields of its
// grant ("grant_type" and what that grant needs): the sign-in's code and the refresh alike.
HTTPRequest tokenRequest(const QUrl &tokenBase, const GoogleCredential &client, QMap<QString, QString> grant);

} // namespace kinoloom
