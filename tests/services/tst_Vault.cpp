// libsecret's GLib headers use the word "signals"; include them before Qt.
#include <libsecret/secret.h>

#include "model/JsonError.h"
#include "model/StudioError.h"
#include "services/GoogleCredential.h"
#include "services/Vault.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

using namespace kinoloom;

namespace {

const QString childRole = QStringLiteral("KINOLOOM_VAULT_CHILD");
const QString deniedSentence = QStringLiteral(
    "The system denied the saved credential. Open Settings > Accounts, remove the old key, save it again, and allow keyring access.");

QString outcomeOf(const std::function<void()> &call)
{
    try {
        call();
        return QStringLiteral("ok");
    } catch (const StudioError &error) {
        return error.message();
    }
}

// Child process: locks the keyring's default collection, then tries every operation.
int lockedChild()
{
    QStringList lines;
    lines << QStringLiteral("save before lock: ") + outcomeOf([] { Vault::save("secret", QStringLiteral("google")); });
    GError *error = nullptr;
    SecretService *service = secret_service_get_sync(SECRET_SERVICE_LOAD_COLLECTIONS, nullptr, &error);
    SecretCollection *collection = service
        ? secret_collection_for_alias_sync(service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &error)
        : nullptr;
    GList *objects = g_list_append(nullptr, collection);
    const int locked = collection ? secret_service_lock_sync(service, objects, nullptr, nullptr, &error) : 0;
    g_list_free(objects);
    lines << QStringLiteral("locked: %1").arg(locked && collection && secret_collection_get_locked(collection));
    lines << QStringLiteral("read: ") + outcomeOf([] { Vault::read(QStringLiteral("google")); });
    lines << QStringLiteral("save: ") + outcomeOf([] { Vault::save("other", QStringLiteral("google")); });
    lines << QStringLiteral("remove: ") + outcomeOf([] { Vault::remove(QStringLiteral("google")); });
    std::fputs(qPrintable(lines.join(QLatin1Char('\n')) + QLatin1Char('\n')), stdout);
    return 0;
}

// Child process: no session bus to reach.
int noBusChild()
{
    QStringList lines;
    lines << QStringLiteral("read: ") + outcomeOf([] { Vault::read(QStringLiteral("google")); });
    lines << QStringLiteral("save: ") + outcomeOf([] { Vault::save("secret", QStringLiteral("google")); });
    lines << QStringLiteral("remove: ") + outcomeOf([] { Vault::remove(QStringLiteral("google")); });
    std::fputs(qPrintable(lines.join(QLatin1Char('\n')) + QLatin1Char('\n')), stdout);
    return 0;
}

QStringList runChild(const QString &role, const QProcessEnvironment &environment, const QString &program,
                     const QStringList &arguments)
{
    QProcessEnvironment env = environment;
    env.insert(childRole, role);
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(program, arguments);
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        return {QStringLiteral("child did not finish")};
    }
    return QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class tst_Vault : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        Vault::remove(QStringLiteral("google"));
        Vault::remove(QStringLiteral("openai"));
    }
    void cleanupTestCase() { init(); }

    void neverSavedReadsAsNothing() { QCOMPARE(Vault::read(QStringLiteral("google")), std::nullopt); }

    void saveReadReplaceRemove()
    {
        const QByteArray binary("\x00\xff key \n", 8);
        Vault::save(binary, QStringLiteral("openai"));
        QCOMPARE(Vault::read(QStringLiteral("openai")), binary);
        QCOMPARE(Vault::read(QStringLiteral("google")), std::nullopt); // keys are separate

        Vault::save("sk-second", QStringLiteral("openai"));
        QCOMPARE(Vault::read(QStringLiteral("openai")), QByteArray("sk-second"));

        Vault::remove(QStringLiteral("openai"));
        QCOMPARE(Vault::read(QStringLiteral("openai")), std::nullopt);
        Vault::remove(QStringLiteral("openai")); // absent: silent
    }

    void replacingKeepsOneItemUnderTheService()
    {
        Vault::save("one", QStringLiteral("google"));
        Vault::save("two", QStringLiteral("google"));
        GError *error = nullptr;
        GHashTable *attributes = g_hash_table_new(g_str_hash, g_str_equal);
        g_hash_table_insert(attributes, const_cast<char *>("service"), const_cast<char *>("local.Kinoloom"));
        g_hash_table_insert(attributes, const_cast<char *>("account"), const_cast<char *>("google"));
        GList *items = secret_service_search_sync(nullptr, nullptr, attributes,
                                                  static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL), nullptr, &error);
        g_hash_table_unref(attributes);
        QVERIFY(!error);
        QCOMPARE(g_list_length(items), 1u);
        g_list_free_full(items, g_object_unref);
    }

    void credentialRoundTripsThroughTheVault()
    {
        GoogleCredential credential{QStringLiteral("id.apps"), QStringLiteral("secret"), QString(), QString(),
                                    QString()};
        Vault::save(credential.data(), QStringLiteral("google"));
        QCOMPARE(GoogleCredential::fromData(Vault::read(QStringLiteral("google")).value()), credential);
    }

    void credentialNeedsAllFiveStrings_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("readable");
        QTest::newRow("complete") << QByteArray(
            R"({"clientID":"a","clientSecret":"b","refreshToken":"","channel":"","channelID":""})")
                                  << true;
        QTest::newRow("no channelID") << QByteArray(
            R"({"clientID":"a","clientSecret":"b","refreshToken":"r","channel":"c"})")
                                      << false;
        QTest::newRow("number") << QByteArray(
            R"({"clientID":1,"clientSecret":"b","refreshToken":"","channel":"","channelID":""})")
                                << false;
        QTest::newRow("not JSON") << QByteArray("google") << false;
    }
    void credentialNeedsAllFiveStrings()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, readable);
        bool decoded = false;
        try {
            GoogleCredential::fromData(stored);
            decoded = true;
        } catch (const StudioError &) {
        }
        QCOMPARE(decoded, readable);
    }

    void lockedCollectionIsDenied()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("run")));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // A private bus and keyring daemon: locking the shared one would stall the other tests.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const QString script = QStringLiteral(
            "eval \"$(printf kinoloom-test | gnome-keyring-daemon --unlock --components=secrets)\"; \"$0\"; "
            "kill \"$GNOME_KEYRING_PID\" 2>/dev/null; exit 0");
        const QStringList lines = runChild(QStringLiteral("locked"), env, QStringLiteral("dbus-run-session"),
                                           {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                                            QCoreApplication::applicationFilePath()});
        QCOMPARE(lines.value(0), QStringLiteral("save before lock: ok"));
        QCOMPARE(lines.value(1), QStringLiteral("locked: 1"));
        QCOMPARE(lines.value(2), QStringLiteral("read: ") + deniedSentence);
        QCOMPARE(lines.value(3), QStringLiteral("save: ") + deniedSentence);
        QCOMPARE(lines.value(4), QStringLiteral("remove: Keyring access was denied."));
    }

    void noSessionBusIsDenied()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/kinoloom-bus"));
        env.remove(QStringLiteral("DISPLAY"));
        const QStringList lines = runChild(QStringLiteral("no-bus"), env, QCoreApplication::applicationFilePath(), {});
        QCOMPARE(lines.value(0), QStringLiteral("read: Keyring access was denied."));
        QCOMPARE(lines.value(1), QStringLiteral("save: Could not save the credential in the keyring."));
        QCOMPARE(lines.value(2), QStringLiteral("remove: Keyring access was denied."));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QString role = qEnvironmentVariable("KINOLOOM_VAULT_CHILD");
    if (role == QLatin1String("locked"))
        return lockedChild();
    if (role == QLatin1String("no-bus"))
        return noBusChild();
    tst_Vault test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Vault.moc"
