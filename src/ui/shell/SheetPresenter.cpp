#include "ui/shell/SheetPresenter.h"

#include "session/StudioModel.h"
#include "ui/shell/CoalescedRefresh.h"

#include <QDialog>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

// Confirmation sheets are this wide; an empty placeholder takes the same room.
constexpr int placeholderWidth = 540;
constexpr int placeholderHeight = 320;

} // namespace

SheetPresenter::SheetPresenter(StudioModel *model, QWidget *window, Sheet sheet)
    : QObject(window)
    , m_model(model)
    , m_window(window)
    , m_sheet(sheet)
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    switch (sheet) {
    case Sheet::uploadReview: m_refresh->follow(model, &StudioModel::showUploadReviewChanged); break;
    case Sheet::metadataDraft: m_refresh->follow(model, &StudioModel::showMetadataDraftChanged); break;
    case Sheet::automation: m_refresh->follow(model, &StudioModel::showAutomationChanged); break;
    case Sheet::workflowRename: m_refresh->follow(model, &StudioModel::showWorkflowRenameChanged); break;
    }
    m_refresh->schedule();
}

QString SheetPresenter::objectName(Sheet sheet)
{
    switch (sheet) {
    case Sheet::uploadReview: return QStringLiteral("uploadReviewSheet");
    case Sheet::metadataDraft: return QStringLiteral("metadataDraftSheet");
    case Sheet::automation: return QStringLiteral("automationSheet");
    case Sheet::workflowRename: return QStringLiteral("workflowRenameSheet");
    }
    return {};
}

void SheetPresenter::setContent(SheetContent content)
{
    m_content = std::move(content);
}

bool SheetPresenter::shown() const
{
    switch (m_sheet) {
    case Sheet::uploadReview: return m_model->showUploadReview();
    case Sheet::metadataDraft: return m_model->showMetadataDraft();
    case Sheet::automation: return m_model->showAutomation();
    case Sheet::workflowRename: return m_model->showWorkflowRename();
    }
    return false;
}

void SheetPresenter::update()
{
    if (!m_model || !m_window)
        return;
    if (!shown()) {
        if (m_dialog) {
            m_closing = true;
            m_dialog->done(QDialog::Rejected);
            m_closing = false;
        }
        return;
    }
    if (m_dialog)
        return;
    auto *dialog = new QDialog(m_window);
    dialog->setObjectName(objectName(m_sheet));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget *content = m_content ? m_content(m_model, dialog) : nullptr;
    if (!content) {
        content = new QWidget;
        content->setObjectName(objectName(m_sheet) + QStringLiteral("Placeholder"));
        content->setMinimumSize(placeholderWidth, placeholderHeight);
    }
    layout->addWidget(content);
    connect(dialog, &QDialog::finished, this, &SheetPresenter::finished);
    m_dialog = dialog;
    dialog->open();
}

void SheetPresenter::finished()
{
    m_dialog = nullptr;
    if (m_closing || !m_model || !shown())
        return;
    switch (m_sheet) {
    // Dismissing also forgets the reviewed snapshot and its token, so nothing is uploaded unseen.
    case Sheet::uploadReview: m_model->dismissUploadReview(); break;
    case Sheet::metadataDraft: m_model->setShowMetadataDraft(false); break;
    case Sheet::automation: m_model->setShowAutomation(false); break;
    case Sheet::workflowRename: m_model->setShowWorkflowRename(false); break;
    }
}

} // namespace kinoloom
