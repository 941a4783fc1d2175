#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kinoloom {

// The keyring as the session uses it: bytes by account key ("google", "openai"). An interface
// so that a test can give the session a keyring that refuses. Blocking; main thread.
class SecretStore
{
public:
    virtual ~SecretStore() = default;

    virtual void save(const QByteArray &data, const QString &key) = 0;
    // Nothing when no item exists; a locked or unreachable keyring throws.
    virtual std::optional<QByteArray> read(const QString &key) = 0;
    // Removing an absent item is not an error.
    virtual void remove(const QString &key) = 0;
};

} // namespace kinoloom
