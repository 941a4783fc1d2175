#include "ui/inspector/ClipFacts.h"

#include "ui/shell/StudioStyle.h"
#include "ui/shell/TimeLabel.h"

#include <QGridLayout>
#include <QLabel>

namespace kinoloom {

namespace {

const QStringList factLabels = {QStringLiteral("Dimensions"), QStringLiteral("Duration"), QStringLiteral("Frame rate"),
                                QStringLiteral("Audio")};

} // namespace

QList<ClipFact> clipFacts(const MediaAsset &asset, const QLocale &locale)
{
    return {
        {factLabels[0], QStringLiteral("%1 × %2").arg(asset.width).arg(asset.height)},
        {factLabels[1], asset.isImage ? QStringLiteral("Still image") : timeLabel(asset.duration)},
        {factLabels[2], locale.toString(asset.fps, 'f', 2)},
        {factLabels[3], asset.hasAudio ? QStringLiteral("Available") : QStringLiteral("No source audio")},
    };
}

ClipFactsGrid::ClipFactsGrid(int horizontalSpacing, int verticalSpacing, QWidget *parent)
    : QWidget(parent)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(horizontalSpacing);
    grid->setVerticalSpacing(verticalSpacing);
    for (int row = 0; row < factLabels.size(); ++row) {
        auto *label = new QLabel(factLabels[row], this);
        auto *value = new QLabel(this);
        for (QLabel *text : {label, value}) {
            text->setFont(StudioStyle::caption());
            text->setForegroundRole(StudioStyle::secondaryTextRole);
        }
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(value, row, 1, Qt::AlignLeft | Qt::AlignTop);
        m_labels.append(label);
        m_values.append(value);
    }
    grid->setColumnStretch(1, 1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ClipFactsGrid::setAsset(const MediaAsset &asset)
{
    const QList<ClipFact> facts = clipFacts(asset);
    for (int row = 0; row < facts.size(); ++row)
        m_values[row]->setText(facts[row].value);
}

QString ClipFactsGrid::value(const QString &label) const
{
    for (int row = 0; row < m_labels.size(); ++row) {
        if (m_labels[row]->text() == label)
            return m_values[row]->text();
    }
    return {};
}

} // namespace kinoloom
