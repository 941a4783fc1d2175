#include "session/LiveVault.h"

#include "services/Vault.h"

namespace kinoloom {

void LiveVault::save(const QByteArray &data, const QString &key)
{
    Vault::save(data, key);
}

std::optional<QByteArray> LiveVault::read(const QString &key)
{
    return Vault::read(key);
}

void LiveVault::remove(const QString &key)
{
    Vault::remove(key);
}

} // namespace kinoloom
