#pragma once

#include "session/SecretStore.h"

namespace kinoloom {

// The system keyring through the services' Vault.
class LiveVault final : public SecretStore
{
public:
    void save(const QByteArray &data, const QString &key) override;
    std::optional<QByteArray> read(const QString &key) override;
    void remove(const QString &key) override;
};

} // namespace kinoloom
