#pragma once

#include <QComboBox>
#include <QPointer>

namespace kinoloom {

class StudioModel;

// The Publish stage's choice of render: "Choose an export", then every render but the previews,
// newest first, as "<kind> · <date>, <time>". Filled from the session on refresh() under a signal
// blocker; only the user's choice writes the session's export selection.
class ExportPicker : public QComboBox
{
    Q_OBJECT

public:
    explicit ExportPicker(StudioModel *model, QWidget *parent = nullptr);

    void refresh();

private:
    QPointer<StudioModel> m_model;
};

} // namespace kinoloom
