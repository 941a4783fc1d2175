#include "ui/settings/AccountSettingsTab.h"

#include "session/FailureDescription.h"
#include "session/StudioModel.h"
#include "ui/settings/Note.h"
#include "ui/settings/SettingsForm.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/StudioStyle.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kinoloom {

AccountSettingsTab::AccountSettingsTab(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_account(new QLabel(this))
    , m_key(new QLineEdit(this))
    , m_save(new QPushButton(QStringLiteral("Save key to keyring"), this))
    , m_status(new QLabel(this))
{
    QFormLayout *form = settingsForm(this);

    QFormLayout *youtube = settingsSection(form, QStringLiteral("YouTube"), this);
    m_account->setObjectName(QStringLiteral("accountLabel"));
    m_account->setTextFormat(Qt::PlainText);
    youtube->addRow(m_account);
    youtube->addRow(makeNote(QStringLiteral("Import a Google OAuth Desktop client JSON, then connect in your browser. "
                                            "Credentials are kept in the keyring."),
                             StudioStyle::caption(), this));
    QHBoxLayout *accountButtons = buttonRow();
    auto *import = new QPushButton(QStringLiteral("Import OAuth client…"), this);
    import->setObjectName(QStringLiteral("importOAuthClientButton"));
    auto *connectAccount = new QPushButton(QStringLiteral("Connect account…"), this);
    connectAccount->setObjectName(QStringLiteral("connectAccountButton"));
    auto *disconnect = new QPushButton(QStringLiteral("Disconnect"), this);
    disconnect->setObjectName(QStringLiteral("disconnectButton"));
    accountButtons->addWidget(import);
    accountButtons->addWidget(connectAccount);
    accountButtons->addWidget(disconnect);
    accountButtons->addStretch(1);
    youtube->addRow(accountButtons);

    QFormLayout *openAI = settingsSection(form, QStringLiteral("Optional OpenAI metadata"), this);
    m_key->setObjectName(QStringLiteral("apiKeyField"));
    m_key->setEchoMode(QLineEdit::Password);
    openAI->addRow(QStringLiteral("API key"), m_key);
    QHBoxLayout *keyButtons = buttonRow();
    m_save->setObjectName(QStringLiteral("saveKeyButton"));
    auto *remove = new QPushButton(QStringLiteral("Remove key"), this);
    remove->setObjectName(QStringLiteral("removeKeyButton"));
    keyButtons->addWidget(m_save);
    keyButtons->addWidget(remove);
    keyButtons->addStretch(1);
    openAI->addRow(keyButtons);
    m_status->setObjectName(QStringLiteral("keyStatusLabel"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setFont(StudioStyle::caption());
    openAI->addRow(m_status);

    connect(import, &QPushButton::clicked, this, [this] { m_model->importOAuthClient(); });
    connect(connectAccount, &QPushButton::clicked, this, [this] { m_model->connectAccount(); });
    connect(disconnect, &QPushButton::clicked, this, [this] { m_model->disconnect(); });
    // A key of blanks is a key the user typed: only an empty field has nothing to save.
    connect(m_key, &QLineEdit::textChanged, this, [this](const QString &text) { m_save->setEnabled(!text.isEmpty()); });
    connect(m_save, &QPushButton::clicked, this, &AccountSettingsTab::saveKey);
    connect(remove, &QPushButton::clicked, this, &AccountSettingsTab::removeKey);
    m_save->setEnabled(false);

    auto *refresh = new CoalescedRefresh([this] { this->refresh(); }, this);
    refresh->follow(model, &StudioModel::accountChanged);
    refresh->runNow();
}

void AccountSettingsTab::forgetKey()
{
    m_key->clear();
    m_status->clear();
}

void AccountSettingsTab::saveKey()
{
    try {
        m_model->vault().save(m_key->text().toUtf8(), keyAccount());
    } catch (...) {
        // The typed key stays, so the user can try again after fixing the keyring.
        m_model->setError(describeFailure(std::current_exception()));
        return;
    }
    m_key->clear();
    m_status->setText(QStringLiteral("Saved in keyring"));
}

void AccountSettingsTab::removeKey()
{
    try {
        m_model->vault().remove(keyAccount());
    } catch (...) {
        // The key may still be stored: the line must not say otherwise.
        m_model->setError(describeFailure(std::current_exception()));
        return;
    }
    m_status->setText(QStringLiteral("Key removed"));
}

void AccountSettingsTab::refresh()
{
    m_account->setText(m_model->account());
}

} // namespace kinoloom
