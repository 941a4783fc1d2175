#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kinoloom {

class StudioModel;

// The settings window's "Accounts" tab: the YouTube account (import the OAuth client, connect,
// disconnect) through the session, and the optional text-generation key, which this tab stores
// in and removes from the keyring itself. The key is never shown again once saved; only the
// key buttons report here, every other failure goes to the session's alert.
class AccountSettingsTab : public QWidget
{
    Q_OBJECT

public:
    explicit AccountSettingsTab(StudioModel *model, QWidget *parent = nullptr);

    // Empties the typed key and its status line, as each showing of the window starts.
    void forgetKey();

    static QString keyAccount() { return QStringLiteral("openai"); }

private:
    void saveKey();
    void removeKey();
    void refresh();

    StudioModel *m_model;
    QLabel *m_account;
    QLineEdit *m_key;
    QPushButton *m_save;
    QLabel *m_status;
};

} // namespace kinoloom
