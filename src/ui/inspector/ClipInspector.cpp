#include "ui/inspector/ClipInspector.h"

#include "session/StudioModel.h"
#include "ui/inspector/ClipFacts.h"
#include "ui/inspector/SymbolLabel.h"
#include "ui/inspector/Tones.h"
#include "ui/preview/VideoView.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/MediaThumbnail.h"
#include "ui/shell/StatusLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

// Black behind the player or thumbnail, in rounded corners.
class MediaFrame : public QWidget
{
public:
    explicit MediaFrame(QWidget *parent)
        : QWidget(parent)
    {
        setFixedHeight(ClipInspector::mediaHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawRoundedRect(rect(), StudioStyle::radius, StudioStyle::radius);
    }
};

QPushButton *actionButton(const QString &text, const QString &symbol, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(symbolIcon(symbol), text, parent);
    button->setObjectName(name);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

} // namespace

ClipInspector::ClipInspector(StudioModel *model, QWidget *parent)
    : InspectorSection(model, StudioStyle::compact, parent)
    , m_empty(caption(QStringLiteral("Select a clip to inspect its source, role, and preparation status.")))
    , m_details(new QWidget(this))
{
    setObjectName(QStringLiteral("clipInspector"));
    m_empty->setObjectName(QStringLiteral("clipEmptyText"));
    m_empty->setFont(StudioStyle::body());
    m_details->setObjectName(QStringLiteral("clipDetails"));
    column()->addWidget(m_empty);
    column()->addWidget(m_details);
    showWhile(m_empty, [model] { return !model->asset(); });
    showWhile(m_details, [model] { return model->asset().has_value(); });

    auto *details = new QVBoxLayout(m_details);
    details->setContentsMargins(0, 0, 0, 0);
    details->setSpacing(StudioStyle::compact);

    // The session's player when it has one, else the clip's thumbnail.
    auto *frame = new MediaFrame(m_details);
    auto *player = new VideoView(nullptr, frame);
    player->setObjectName(QStringLiteral("clipPlayer"));
    player->setCornerRadius(StudioStyle::radius);
    auto *thumbnail = new MediaThumbnail({}, frame);
    thumbnail->setObjectName(QStringLiteral("clipThumbnail"));
    frame->layout()->addWidget(player);
    frame->layout()->addWidget(thumbnail);
    details->addWidget(frame);
    follow([model, player, thumbnail] {
        PreviewPlayer *current = model->player();
        player->setPlayer(current);
        player->setVisible(current != nullptr);
        thumbnail->setVisible(current == nullptr);
        const std::optional<MediaAsset> asset = model->asset();
        const QString path = asset ? asset->thumbnail.value_or(QString()) : QString();
        if (path != thumbnail->path())
            thumbnail->setPath(path);
    });

    auto *name = new QLabel(m_details);
    name->setObjectName(QStringLiteral("clipName"));
    name->setFont(StudioStyle::section());
    name->setWordWrap(true);
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details->addWidget(name);
    follow([model, name] {
        if (const std::optional<MediaAsset> asset = model->asset(); asset && name->text() != asset->name)
            name->setText(asset->name);
    });

    QStringList roles;
    for (const ClipRole role : allClipRoles())
        roles.append(displayName(role));
    QComboBox *role = picker(QStringLiteral("Role"), roles,
                             {[model] { return int(model->asset() ? model->asset()->role : ClipRole::main); },
                              [model](const int &index) { model->setRole(allClipRoles().value(index)); }});
    auto *roleRow = new QHBoxLayout;
    roleRow->setSpacing(StudioStyle::compact);
    auto *roleLabel = new QLabel(QStringLiteral("Role"), m_details);
    roleLabel->setBuddy(role);
    roleRow->addWidget(roleLabel);
    roleRow->addWidget(role, 1);
    details->addLayout(roleRow);

    auto *facts = new ClipFactsGrid(StudioStyle::padding, StudioStyle::compact, m_details);
    facts->setObjectName(QStringLiteral("clipFacts"));
    details->addWidget(facts);
    follow([model, facts] {
        if (const std::optional<MediaAsset> asset = model->asset())
            facts->setAsset(*asset);
    });

    auto *status = new StatusLabel({}, QStringLiteral("checkmark.circle"), m_details);
    status->setObjectName(QStringLiteral("clipStatus"));
    details->addWidget(status);
    follow([model, status] {
        if (const std::optional<MediaAsset> asset = model->asset())
            status->setText(asset->preparation);
    });

    auto *warning = new SymbolLabel({}, QStringLiteral("exclamationmark.triangle"), StudioStyle::body(),
                                    SymbolLabel::Tone::warning, m_details);
    warning->setObjectName(QStringLiteral("clipWarning"));
    details->addWidget(warning);
    follow([model, warning] {
        const std::optional<MediaAsset> asset = model->asset();
        const std::optional<QString> note = asset ? asset->reviewNote() : std::nullopt;
        warning->setText(note.value_or(QString()));
        warning->setVisible(note.has_value());
    });

    QPushButton *hook = actionButton(QStringLiteral("Also use as a hook"), QStringLiteral("bookmark"),
                                     QStringLiteral("hookButton"), m_details);
    connect(hook, &QPushButton::clicked, this, [model] { model->duplicateAsHook(); });
    QPushButton *relink = actionButton(QStringLiteral("Relink source…"), QStringLiteral("link"),
                                       QStringLiteral("relinkButton"), m_details);
    connect(relink, &QPushButton::clicked, this, [model] { model->relink(); });
    QPushButton *remove = actionButton(QStringLiteral("Remove from project"), QStringLiteral("trash"),
                                       QStringLiteral("removeButton"), m_details);
    markDestructive(remove);
    connect(remove, &QPushButton::clicked, this, [model] { model->removeSelection(); });
    for (QPushButton *button : {hook, relink, remove})
        details->addWidget(button, 0, Qt::AlignLeft);

    auto *note = new QLabel(QStringLiteral("Removing an entry leaves the original file intact."), m_details);
    note->setFont(StudioStyle::caption());
    note->setForegroundRole(StudioStyle::secondaryTextRole);
    note->setWordWrap(true);
    details->addWidget(note);
    refresh();
}

} // namespace kinoloom
