#include "ui/publish/ExportPicker.h"

#include "session/StudioModel.h"
#include "ui/publish/PublishChoices.h"

#include <QSignalBlocker>

namespace kinoloom {

ExportPicker::ExportPicker(StudioModel *model, QWidget *parent)
    : QComboBox(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("exportPicker"));
    setAccessibleName(QStringLiteral("Export"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_model)
            return;
        const QVariant id = itemData(index);
        m_model->setExportSelection(id.isValid() ? std::optional<QUuid>(id.toUuid()) : std::nullopt);
    });
    refresh();
}

void ExportPicker::refresh()
{
    if (!m_model)
        return;
    const QSignalBlocker blocker(this);
    QList<std::pair<QString, QVariant>> entries{{QStringLiteral("Choose an export"), QVariant()}};
    for (const ExportRecord &record : publishableNewestFirst(m_model->project().exports))
        entries.append({exportEntryText(record), record.id});
    bool same = count() == entries.size();
    for (int index = 0; same && index < count(); ++index)
        same = itemText(index) == entries[index].first && itemData(index) == entries[index].second;
    if (!same) {
        clear();
        for (const auto &[text, id] : entries)
            addItem(text, id);
    }
    const std::optional<QUuid> &selection = m_model->exportSelection();
    const int chosen = selection ? findData(*selection) : 0;
    // A selection the picker does not offer (a preview) shows the first entry.
    setCurrentIndex(std::max(chosen, 0));
}

} // namespace kinoloom
