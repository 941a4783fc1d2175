#pragma once

#include <QWidget>

class QComboBox;

namespace kinoloom {

class Appearance;

// The settings window's "General" tab: the appearance of every window, stored under
// "appearance" and applied at once.
class GeneralSettingsTab : public QWidget
{
    Q_OBJECT

public:
    explicit GeneralSettingsTab(Appearance *appearance, QWidget *parent = nullptr);

private:
    void refresh();

    Appearance *m_appearance;
    QComboBox *m_picker;
};

} // namespace kinoloom
