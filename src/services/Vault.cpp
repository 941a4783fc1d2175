// libsecret pulls in GLib, whose headers use the word "signals"; include it before Qt.
#include <libsecret/secret.h>

#include "services/Vault.h"

#include "model/StudioError.h"

#include <memory>

namespace kinoloom::Vault {

namespace {

const QString deniedSentence = QStringLiteral(
    "The system denied the saved credential. Open Settings > Accounts, remove the old key, save it again, and allow keyring access.");
const QString accessDeniedSentence = QStringLiteral("Keyring access was denied.");
const QString updateDeniedSentence = QStringLiteral("Keyring update was denied.");
const QString saveFailedSentence = QStringLiteral("Could not save the credential in the keyring.");

const SecretSchema *schema()
{
    static const SecretSchema value = {
        "local.Kinoloom",
        SECRET_SCHEMA_DONT_MATCH_NAME,
        {
            {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
    };
    return &value;
}

struct ErrorFree
{
    void operator()(GError *error) const { g_error_free(error); }
};
using Error = std::unique_ptr<GError, ErrorFree>;

struct ObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};

struct HashTableUnref
{
    void operator()(GHashTable *table) const { g_hash_table_unref(table); }
};

struct ValueUnref
{
    void operator()(SecretValue *value) const { secret_value_unref(value); }
};

struct ItemList
{
    GList *items = nullptr;
    ~ItemList() { g_list_free_full(items, g_object_unref); }
    SecretItem *first() const { return items ? SECRET_ITEM(items->data) : nullptr; }
};

std::unique_ptr<SecretService, ObjectUnref> connect()
{
    GError *raw = nullptr;
    SecretService *service = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &raw);
    Error error(raw);
    if (!service)
        return nullptr;
    return std::unique_ptr<SecretService, ObjectUnref>(service);
}

std::unique_ptr<GHashTable, HashTableUnref> attributes(const QString &key)
{
    GHashTable *table = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
    g_hash_table_insert(table, g_strdup("service"), g_strdup("local.Kinoloom"));
    g_hash_table_insert(table, g_strdup("account"), g_strdup(key.toUtf8().constData()));
    return std::unique_ptr<GHashTable, HashTableUnref>(table);
}

bool searchOnce(SecretService *service, const QString &key, ItemList &found, int flags)
{
    GError *raw = nullptr;
    const auto query = attributes(key);
    found.items = secret_service_search_sync(service, schema(), query.get(), static_cast<SecretSearchFlags>(flags),
                                             nullptr, &raw);
    Error error(raw);
    return !error;
}

// Searching with unlock asks the keyring to unlock a locked item; an item that stays locked
// is one the system refused, which a plain lookup would report as absent. When the unlock
// itself fails (the prompt was refused or could not be shown), a search without unlocking
// still tells a locked item from no item.
bool search(SecretService *service, const QString &key, ItemList &found, int flags = SECRET_SEARCH_NONE)
{
    if (searchOnce(service, key, found, flags | SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS))
        return true;
    return searchOnce(service, key, found, flags);
}

// The secret the search loaded. None means the keyring kept the item closed: after a refused
// unlock the item can even claim to be unlocked, so its secret is the one reliable sign.
std::unique_ptr<SecretValue, ValueUnref> loadedSecret(SecretItem *item)
{
    if (secret_item_get_locked(item))
        return nullptr;
    return std::unique_ptr<SecretValue, ValueUnref>(secret_item_get_secret(item));
}

std::unique_ptr<SecretValue, ValueUnref> secretOf(const QByteArray &data)
{
    return std::unique_ptr<SecretValue, ValueUnref>(
        secret_value_new(data.constData(), data.size(), "application/octet-stream"));
}

} // namespace

void save(const QByteArray &data, const QString &key)
{
    const auto service = connect();
    if (!service)
        throw StudioError(saveFailedSentence);
    ItemList found;
    if (!search(service.get(), key, found))
        throw StudioError(updateDeniedSentence);

    const auto value = secretOf(data);
    if (SecretItem *item = found.first()) {
        if (!loadedSecret(item))
            throw StudioError(deniedSentence);
        GError *raw = nullptr;
        const bool updated = secret_item_set_secret_sync(item, value.get(), nullptr, &raw);
        Error error(raw);
        if (!updated)
            throw StudioError(updateDeniedSentence);
        return;
    }

    const QByteArray account = key.toUtf8();
    const QByteArray label = "Kinoloom " + account;
    GError *raw = nullptr;
    const bool stored = secret_password_store_binary_sync(schema(), SECRET_COLLECTION_DEFAULT, label.constData(),
                                                          value.get(), nullptr, &raw, "service", "local.Kinoloom",
                                                          "account", account.constData(), nullptr);
    Error error(raw);
    if (!stored)
        throw StudioError(saveFailedSentence);
}

std::optional<QByteArray> read(const QString &key)
{
    const auto service = connect();
    if (!service)
        throw StudioError(accessDeniedSentence);
    ItemList found;
    if (!search(service.get(), key, found))
        throw StudioError(accessDeniedSentence);
    SecretItem *item = found.first();
    if (!item)
        return std::nullopt;
    const auto value = loadedSecret(item);
    if (!value)
        throw StudioError(deniedSentence);
    gsize length = 0;
    const gchar *bytes = secret_value_get(value.get(), &length);
    return QByteArray(bytes, static_cast<qsizetype>(length));
}

void remove(const QString &key)
{
    const auto service = connect();
    if (!service)
        throw StudioError(accessDeniedSentence);
    ItemList found;
    if (!search(service.get(), key, found, SECRET_SEARCH_ALL))
        throw StudioError(accessDeniedSentence);
    for (GList *entry = found.items; entry; entry = entry->next) {
        SecretItem *item = SECRET_ITEM(entry->data);
        if (secret_item_get_locked(item))
            throw StudioError(accessDeniedSentence);
        GError *raw = nullptr;
        const bool deleted = secret_item_delete_sync(item, nullptr, &raw);
        Error error(raw);
        if (!deleted)
            throw StudioError(accessDeniedSentence);
    }
}

} // namespace kinoloom::Vault
