#include "ui/publish/MetadataDraftReview.h"

#include "session/StudioModel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioStyle.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

// A field under its caption, nearer to it than to the rest of the sheet so that the caption reads
// as the field's.
QVBoxLayout *captioned(const QString &caption, QWidget *field)
{
    auto *group = new QVBoxLayout;
    group->setSpacing(StudioStyle::compact);
    group->addWidget(new QLabel(caption, field->parentWidget()));
    group->addWidget(field);
    return group;
}

} // namespace

MetadataDraftReview::MetadataDraftReview(StudioModel *model, QDialog *sheet)
    : QWidget(sheet)
    , m_model(model)
    , m_description(new QPlainTextEdit(this))
    , m_tags(new QLineEdit(this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_apply(new ProminentButton(QStringLiteral("Apply draft"), this))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("metadataDraftReview"));
    setFixedWidth(sheetWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    column->setSpacing(StudioStyle::padding);

    auto *heading = new SectionHeading(
        QStringLiteral("Review metadata draft"),
        QStringLiteral("Edit this draft before replacing your current description and tags."),
        QStringLiteral("doc.text"), this);
    // At the sheet's fixed width the heading takes its natural lines; its minimum, measured at a
    // narrow width, would make the sheet taller and spread the heading apart.
    heading->setMinimumHeight(heading->sizeHint().height());
    column->addWidget(heading);

    m_description->setObjectName(QStringLiteral("draftDescription"));
    m_description->setAccessibleName(QStringLiteral("Draft description"));
    m_description->setFont(StudioStyle::body());
    m_description->setFixedHeight(descriptionHeight);
    // Tab leaves the field for the tags, as in every other form of the window.
    m_description->setTabChangesFocus(true);
    column->addLayout(captioned(QStringLiteral("Description"), m_description));

    m_tags->setObjectName(QStringLiteral("draftTags"));
    m_tags->setPlaceholderText(QStringLiteral("Tags, separated by commas"));
    column->addLayout(captioned(QStringLiteral("Tags"), m_tags));

    // Neither button is a default one, and neither becomes one when it has the focus: Return
    // applies nothing.
    auto *buttons = new QHBoxLayout;
    m_cancel->setObjectName(QStringLiteral("cancelDraft"));
    m_cancel->setAutoDefault(false);
    m_apply->setObjectName(QStringLiteral("applyDraft"));
    m_apply->setAutoDefault(false);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    column->addLayout(buttons);
    column->addStretch(1);

    connect(m_description, &QPlainTextEdit::textChanged, this, &MetadataDraftReview::writeDescription);
    connect(m_tags, &QLineEdit::textEdited, this, &MetadataDraftReview::writeTags);
    // Escape is the dialog's reject, which the presenter turns into the same closing.
    connect(m_cancel, &QPushButton::clicked, this, [this, sheet] {
        if (m_model)
            m_model->setShowMetadataDraft(false);
        if (sheet)
            sheet->reject();
    });
    connect(m_apply, &QPushButton::clicked, this, [this, sheet] {
        apply();
        if (sheet)
            sheet->accept();
    });

    m_refresh->follow(model, &StudioModel::metadataDraftChanged);
    update();
    m_description->setFocus();
}

SheetContent MetadataDraftReview::content()
{
    return [](StudioModel *model, QDialog *sheet) { return new MetadataDraftReview(model, sheet); };
}

void MetadataDraftReview::update()
{
    if (!m_model)
        return;
    // Only a text that differs is put back, so typing keeps its cursor and a selection stays.
    const PublishSettings &draft = m_model->metadataDraft();
    if (m_description->toPlainText() != draft.description)
        m_description->setPlainText(draft.description);
    if (m_tags->text() != draft.tags)
        m_tags->setText(draft.tags);
}

void MetadataDraftReview::writeDescription()
{
    if (!m_model)
        return;
    const QString text = m_description->toPlainText();
    if (text == m_model->metadataDraft().description)
        return;
    PublishSettings draft = m_model->metadataDraft();
    draft.description = text;
    m_model->setMetadataDraft(std::move(draft));
}

void MetadataDraftReview::writeTags(const QString &text)
{
    if (!m_model)
        return;
    PublishSettings draft = m_model->metadataDraft();
    draft.tags = text;
    m_model->setMetadataDraft(std::move(draft));
}

void MetadataDraftReview::apply()
{
    if (!m_model)
        return;
    // Only the description and the tags are taken over, as they stand in the draft (the edits are
    // already there), untrimmed; an empty description empties the project's. Not held back while
    // a job runs: jobs write their results into the project as it stands, so the applied text
    // stays, and the file is saved at once.
    const PublishSettings draft = m_model->metadataDraft();
    m_model->editProject([&draft](StudioProject &project) {
        project.publish.description = draft.description;
        project.publish.tags = draft.tags;
    });
    m_model->setShowMetadataDraft(false);
    m_model->save();
}

} // namespace kinoloom
