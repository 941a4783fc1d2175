#pragma once

#include "ui/shell/Binding.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <utility>

class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;

namespace kinoloom {

class StudioModel;

// The settings window's "Tools" tab: the path of the Gyroflow program, stored with every edit,
// and the dependency report of the installed tools.
class ToolSettingsTab : public QWidget
{
    Q_OBJECT

public:
    explicit ToolSettingsTab(StudioModel *model, QWidget *parent = nullptr);

private:
    // A tool's name, its path field and "Choose…", bound to the path.
    QHBoxLayout *executable(const QString &name, Binding<QString> value);
    void refresh();

    StudioModel *m_model;
    // Each path field with the value it shows.
    QList<std::pair<QLineEdit *, Binding<QString>>> m_paths;
    QVBoxLayout *m_report;
};

} // namespace kinoloom
