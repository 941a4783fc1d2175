#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kinoloom {

// The keyring store of the two secrets, by account key ("google", "openai") under the service
// "local.Kinoloom". Synchronous: one D-Bus round trip per call, from the main thread.
namespace Vault {

// Replaces the item's bytes, or adds the item. A failed save leaves the previous item as it was.
void save(const QByteArray &data, const QString &key);

// Nothing when no item exists; a locked or unreachable keyring is a failure, not an absence.
std::optional<QByteArray> read(const QString &key);

// Removing an absent item is not an error; any other failure is.
void remove(const QString &key);

} // namespace Vault

} // namespace kinoloom
