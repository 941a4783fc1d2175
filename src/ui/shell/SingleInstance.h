#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace kinoloom {

// One Kinoloom per user. The first start holds an exclusive lock on "Kinoloom.lock" in the
// runtime folder and listens on the local socket "Kinoloom.socket" beside it; a later start
// finds the lock taken, sends "activate" through the socket and must then exit without making
// a session or a window.
//
// The lock, not the socket, decides who is first: the kernel drops it when its holder dies, so
// a crashed Kinoloom leaves no one locked out, and the next first start removes the socket it
// left behind.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `folder`: where the lock and the socket live; the user's runtime folder by default.
    explicit SingleInstance(QString folder = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first: it now holds the lock and listens. False when
    // another one runs; it has been asked to come forward. A runtime folder that cannot be used
    // lets this process run on its own (true), with a warning.
    bool claim();

    QString lockPath() const;
    QString socketPath() const;

    static constexpr auto activateMessage = "activate";

Q_SIGNALS:
    // Another start asked this one to show its windows.
    void activationRequested();

private:
    void listen();
    void receive();
    void notifyFirst();

    QString m_folder;
    int m_lockFD = -1;
    QLocalServer *m_server = nullptr;
};

} // namespace kinoloom
