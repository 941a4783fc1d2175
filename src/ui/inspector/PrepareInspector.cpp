#include "ui/inspector/PrepareInspector.h"

#include "session/StudioModel.h"
#include "ui/inspector/ClipFacts.h"
#include "ui/inspector/InspectorCard.h"
#include "ui/inspector/SettingsBindings.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/Divider.h"
#include "ui/shell/ResourcePicker.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kinoloom {

PrepareInspector::PrepareInspector(StudioModel *model, QWidget *parent)
    : InspectorSection(model, StudioStyle::padding, parent)
    , m_clipName(new ClampedLabel)
    , m_facts(new ClipFactsGrid(StudioStyle::regular, StudioStyle::small))
    , m_clips(new QVBoxLayout)
{
    setObjectName(QStringLiteral("prepareInspector"));

    auto *card = inspectorCard(QStringLiteral("Selected clip"), QStringLiteral("film"), this);
    card->setObjectName(QStringLiteral("selectedClipCard"));
    m_clipName->setFont(StudioStyle::font(StudioStyle::body().pixelSize(), QFont::Medium));
    m_clipName->setMaxLines(1);
    m_clipName->setElideMode(Qt::ElideMiddle);
    card->addWidget(m_clipName);
    card->addWidget(m_facts);
    column()->addWidget(card);
    showWhile(card, [model] { return model->asset().has_value(); });
    follow([this, model] {
        if (const std::optional<MediaAsset> asset = model->asset()) {
            m_clipName->setText(asset->name);
            m_facts->setAsset(*asset);
        }
    });

    column()->addWidget(new SectionHeading(
        QStringLiteral("Preserve the source"),
        QStringLiteral("No processing unless selected. Necessary intermediates use lossless FFV1; originals are "
                       "untouched."),
        QStringLiteral("lock.shield"), this));
    column()->addWidget(fileRow(QStringLiteral("Conversion LUT"),
                                settingsText(model, &ProcessingSettings::conversionLUT),
                                [model] { model->chooseResource(&ProcessingSettings::conversionLUT, {}); }));
    column()->addWidget(new Divider(this));

    column()->addWidget(new SectionHeading(QStringLiteral("Stabilization"), {}, QStringLiteral("camera"), this));
    column()->addWidget(toggle(QStringLiteral("Gyroflow"), settingsFlag(model, &ProcessingSettings::gyroflow)));
    ResourcePicker *preset = fileRow(QStringLiteral("Gyroflow preset"),
                                     settingsText(model, &ProcessingSettings::gyroPreset),
                                     [model] { model->chooseResource(&ProcessingSettings::gyroPreset, {}); });
    column()->addWidget(preset);
    showWhile(preset, [model] { return model->project().settings.gyroflow; });
    column()->addWidget(
        toggle(QStringLiteral("Fallback lens correction"), settingsFlag(model, &ProcessingSettings::fisheye)));
    column()->addWidget(
        toggle(QStringLiteral("vid.stab motion stabilization"), settingsFlag(model, &ProcessingSettings::vidstab)));
    column()->addWidget(caption(QStringLiteral("Gyroflow and vid.stab require their corresponding local tools. Missing "
                                               "dependencies are reported before work starts.")));
    column()->addWidget(new Divider(this));

    column()->addWidget(caption(QStringLiteral("All included clips are processed. Short and long clips remain "
                                               "included unless you assign Excluded in Media.")));
    m_clips->setContentsMargins(0, 0, 0, 0);
    m_clips->setSpacing(StudioStyle::small);
    column()->addLayout(m_clips);
    follow([this] { refreshClips(); });
    refresh();
}

void PrepareInspector::refreshClips()
{
    QList<QPair<QString, QString>> rows;
    for (const MediaAsset &asset : model()->project().assets) {
        if (asset.role != ClipRole::excluded)
            rows.append({asset.name, asset.preparation});
    }
    if (rows == clipRows())
        return;
    while (QLayoutItem *item = m_clips->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const auto &[name, preparation] : std::as_const(rows)) {
        auto *row = new QWidget(this);
        row->setObjectName(QStringLiteral("clipRow"));
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *nameLabel = new ClampedLabel(name, row);
        nameLabel->setObjectName(QStringLiteral("clipName"));
        nameLabel->setFont(StudioStyle::caption());
        nameLabel->setMaxLines(1);
        nameLabel->setElideMode(Qt::ElideMiddle);
        auto *status = new ClampedLabel(preparation, row);
        status->setObjectName(QStringLiteral("clipPreparation"));
        status->setFont(StudioStyle::caption());
        status->setForegroundRole(StudioStyle::secondaryTextRole);
        status->setMaxLines(1);
        layout->addWidget(nameLabel, 1, Qt::AlignVCenter);
        layout->addWidget(status, 0, Qt::AlignVCenter);
        m_clips->addWidget(row);
    }
}

QList<QPair<QString, QString>> PrepareInspector::clipRows() const
{
    QList<QPair<QString, QString>> rows;
    for (int index = 0; index < m_clips->count(); ++index) {
        QWidget *row = m_clips->itemAt(index)->widget();
        rows.append({row->findChild<ClampedLabel *>(QStringLiteral("clipName"))->text(),
                     row->findChild<ClampedLabel *>(QStringLiteral("clipPreparation"))->text()});
    }
    return rows;
}

} // namespace kinoloom
