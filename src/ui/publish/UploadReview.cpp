#include "ui/publish/UploadReview.h"

#include "session/StudioModel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

const QStringList labels{QStringLiteral("Channel"),    QStringLiteral("Video"),         QStringLiteral("Title"),
                         QStringLiteral("Visibility"), QStringLiteral("Made for kids"), QStringLiteral("Thumbnail")};

} // namespace

UploadReview::UploadReview(StudioModel *model, QDialog *sheet, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("uploadReview"));
    setFixedWidth(sheetWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    column->setSpacing(StudioStyle::padding);

    auto *heading = new QHBoxLayout;
    heading->setSpacing(StudioStyle::compact);
    heading->addWidget(new SymbolView(QStringLiteral("play.rectangle"), StudioStyle::title().pixelSize(),
                                      SymbolWeight::semibold, this));
    auto *title = new QLabel(QStringLiteral("Review upload"), this);
    title->setFont(StudioStyle::title());
    heading->addWidget(title);
    heading->addStretch(1);
    column->addLayout(heading);

    m_details = new QWidget(this);
    auto *details = new QVBoxLayout(m_details);
    details->setContentsMargins({});
    details->setSpacing(StudioStyle::padding);
    auto *intro = new QLabel(QStringLiteral("This action sends the selected video and metadata to YouTube."),
                             m_details);
    intro->setForegroundRole(StudioStyle::secondaryTextRole);
    intro->setWordWrap(true);
    details->addWidget(intro);

    auto *panel = new StudioPanel({}, m_details);
    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(StudioStyle::padding);
    rows->setVerticalSpacing(StudioStyle::compact);
    for (const QString &label : labels) {
        const int row = int(m_values.size());
        rows->addWidget(new QLabel(label, panel), row, 0);
        auto *value = new QLabel(panel);
        value->setTextFormat(Qt::PlainText);
        value->setForegroundRole(StudioStyle::secondaryTextRole);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        rows->addWidget(value, row, 1);
        m_values.append({label, value});
    }
    rows->setColumnStretch(1, 1);
    panel->addLayout(rows);
    details->addWidget(panel);

    auto *scroll = new QScrollArea(m_details);
    scroll->setObjectName(QStringLiteral("descriptionScroll"));
    scroll->setWidgetResizable(true);
    scroll->setMaximumHeight(descriptionHeight);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    m_description = new QLabel(scroll);
    m_description->setObjectName(QStringLiteral("reviewedDescription"));
    m_description->setTextFormat(Qt::PlainText);
    m_description->setFont(StudioStyle::body());
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setContentsMargins(0, 0, StudioStyle::compact, 0);
    scroll->setWidget(m_description);
    details->addWidget(scroll);

    // No default button: Return must never start an upload.
    auto *buttons = new QHBoxLayout;
    m_cancel = new QPushButton(QStringLiteral("Cancel"), m_details);
    m_cancel->setObjectName(QStringLiteral("cancelUpload"));
    m_cancel->setAutoDefault(false);
    m_confirm = new ProminentButton(QString(), m_details);
    m_confirm->setObjectName(QStringLiteral("confirmUpload"));
    m_confirm->setAutoDefault(false);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    details->addLayout(buttons);
    column->addWidget(m_details);
    column->addStretch(1);

    // Escape is the dialog's reject, which the presenter turns into the same dismissal.
    connect(m_cancel, &QPushButton::clicked, this, [this, sheet] {
        if (m_model)
            m_model->dismissUploadReview();
        if (sheet)
            sheet->reject();
    });
    connect(m_confirm, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->confirmUpload();
    });

    m_refresh->follow(model, &StudioModel::reviewedPublishChanged, &StudioModel::reviewedExportChanged,
                      &StudioModel::accountChanged, &StudioModel::jobChanged);
    update();
}

QString UploadReview::value(const QString &label) const
{
    for (const auto &[name, value] : m_values) {
        if (name == label)
            return value->text();
    }
    return {};
}

void UploadReview::refresh()
{
    m_refresh->runNow();
}

QString UploadReview::capitalisedWords(const QString &text)
{
    QString result = text.toLower();
    bool start = true;
    for (QChar &character : result) {
        if (start && character.isLetter())
            character = character.toUpper();
        start = character.isSpace();
    }
    return result;
}

void UploadReview::update()
{
    if (!m_model)
        return;
    const std::optional<PublishSettings> &publish = m_model->reviewedPublish();
    const std::optional<ExportRecord> &record = m_model->reviewedExport();
    // While the snapshot is incomplete (as while the sheet closes) only the heading is shown.
    m_details->setVisible(publish && record);
    if (!publish || !record)
        return;
    const QStringList values{
        m_model->account(),
        QFileInfo(record->path).fileName(),
        publish->title,
        capitalisedWords(publish->privacy),
        publish->madeForKids ? QStringLiteral("Yes") : QStringLiteral("No"),
        publish->thumbnail.isEmpty() ? QStringLiteral("None") : QFileInfo(publish->thumbnail).fileName(),
    };
    for (int index = 0; index < values.size(); ++index) {
        m_values[index].second->setText(values[index]);
        m_values[index].second->setToolTip(values[index]);
    }
    m_description->setText(publish->description);
    m_confirm->setText(record->uploadSession ? QStringLiteral("Resume upload") : QStringLiteral("Upload to YouTube"));
    m_confirm->setEnabled(!m_model->busy());
}

} // namespace kinoloom
