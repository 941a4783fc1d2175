#include "ui/shell/ConfirmationPresenter.h"

#include "session/StudioModel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/MessageBoxStyle.h"

#include <QPushButton>

namespace kinoloom {

namespace {

const char *const indexProperty = "kinoloomAnswer";
constexpr int messageWidth = 420;

} // namespace

Confirmation Confirmation::cacheClear()
{
    Confirmation dialog;
    dialog.objectName = QStringLiteral("cacheClearConfirmation");
    dialog.title = QStringLiteral("Delete this project's generated cache?");
    dialog.message = [](const StudioModel &) {
        return QStringLiteral(
            "Prepared clips and render cache will be removed. Original footage and exports will stay.");
    };
    dialog.buttons = {
        {QStringLiteral("Delete Cache"), QMessageBox::DestructiveRole, [](StudioModel &model) { model.clearCache(); }},
        {QStringLiteral("Cancel"), QMessageBox::RejectRole, {}}};
    dialog.shown = &StudioModel::showCacheClearConfirmation;
    dialog.setShown = &StudioModel::setShowCacheClearConfirmation;
    dialog.shownChanged = &StudioModel::showCacheClearConfirmationChanged;
    return dialog;
}

Confirmation Confirmation::lowSpace()
{
    Confirmation dialog;
    dialog.objectName = QStringLiteral("lowSpaceConfirmation");
    dialog.title = QStringLiteral("Low disk space");
    dialog.message = [](const StudioModel &model) { return model.lowSpaceWarningMessage(); };
    dialog.buttons = {
        {QStringLiteral("Continue with Cached Clips"), QMessageBox::DestructiveRole,
         [](StudioModel &model) { model.continueAfterLowSpaceWarning(); }},
        {QStringLiteral("Cancel"), QMessageBox::RejectRole, [](StudioModel &model) { model.cancelLowSpaceWarning(); }}};
    dialog.shown = &StudioModel::showLowSpaceWarning;
    dialog.setShown = &StudioModel::setShowLowSpaceWarning;
    dialog.shownChanged = &StudioModel::showLowSpaceWarningChanged;
    return dialog;
}

Confirmation Confirmation::resume()
{
    Confirmation dialog;
    dialog.objectName = QStringLiteral("resumeConfirmation");
    dialog.title = QStringLiteral("Resume interrupted render?");
    dialog.message = [](const StudioModel &) {
        return QStringLiteral("This project stopped before the render finished. Resume will reuse valid prepared clips "
                              "and render cache.");
    };
    dialog.icon = QMessageBox::Question;
    dialog.buttons = {
        {QStringLiteral("Resume"), QMessageBox::AcceptRole, [](StudioModel &model) { model.retry(); }},
        {QStringLiteral("Start Again"), QMessageBox::DestructiveRole, [](StudioModel &model) { model.restart(); }},
        {QStringLiteral("Not Now"), QMessageBox::RejectRole, {}}};
    dialog.shown = &StudioModel::showResumePrompt;
    dialog.setShown = &StudioModel::setShowResumePrompt;
    dialog.shownChanged = &StudioModel::showResumePromptChanged;
    return dialog;
}

ConfirmationPresenter::ConfirmationPresenter(StudioModel *model, QWidget *window, Confirmation confirmation)
    : QObject(window)
    , m_model(model)
    , m_window(window)
    , m_confirmation(std::move(confirmation))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    m_refresh->follow(model, m_confirmation.shownChanged);
    m_refresh->schedule();
}

QAbstractButton *ConfirmationPresenter::button(const QString &title) const
{
    if (!m_box)
        return nullptr;
    const QList<QAbstractButton *> buttons = m_box->buttons();
    for (QAbstractButton *candidate : buttons) {
        if (candidate->text() == title)
            return candidate;
    }
    return nullptr;
}

void ConfirmationPresenter::update()
{
    if (!m_model || !m_window)
        return;
    const bool shown = (m_model->*m_confirmation.shown)();
    if (!shown) {
        if (m_box) {
            m_closing = true;
            m_box->done(0);
            m_closing = false;
        }
        return;
    }
    if (m_box) {
        m_box->setInformativeText(m_confirmation.message(*m_model));
        styleMessageBox(*m_box, messageWidth);
        return;
    }
    auto *box = new QMessageBox(m_window);
    box->setObjectName(m_confirmation.objectName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(m_confirmation.icon);
    box->setWindowTitle(m_confirmation.title);
    box->setTextFormat(Qt::PlainText);
    box->setText(m_confirmation.title);
    box->setInformativeText(m_confirmation.message(*m_model));
    for (int index = 0; index < m_confirmation.buttons.size(); ++index) {
        const Confirmation::Button &answer = m_confirmation.buttons.at(index);
        QPushButton *added = box->addButton(answer.title, answer.role);
        added->setProperty(indexProperty, index);
        if (answer.role == QMessageBox::RejectRole)
            box->setEscapeButton(added);
    }
    // Return never presses a destructive answer: it takes the plain one, else the cancel.
    QPushButton *preferred = qobject_cast<QPushButton *>(box->escapeButton());
    for (QAbstractButton *candidate : box->buttons()) {
        if (box->buttonRole(candidate) == QMessageBox::AcceptRole)
            preferred = qobject_cast<QPushButton *>(candidate);
    }
    box->setDefaultButton(preferred);
    styleMessageBox(*box, messageWidth);
    connect(box, &QMessageBox::finished, this, &ConfirmationPresenter::finished);
    m_box = box;
    box->open();
}

void ConfirmationPresenter::finished()
{
    QMessageBox *box = m_box;
    m_box = nullptr;
    if (m_closing || !m_model || !box)
        return;
    // Closing the box any other way is the cancel answer.
    QAbstractButton *clicked = box->clickedButton();
    if (!clicked)
        clicked = box->escapeButton();
    std::function<void(StudioModel &)> action;
    if (clicked) {
        const int index = clicked->property(indexProperty).toInt();
        if (index >= 0 && index < m_confirmation.buttons.size())
            action = m_confirmation.buttons.at(index).action;
    }
    if ((m_model->*m_confirmation.shown)())
        (m_model->*m_confirmation.setShown)(false);
    if (action && m_model)
        action(*m_model);
}

} // namespace kinoloom
