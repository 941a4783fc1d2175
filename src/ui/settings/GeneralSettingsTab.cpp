#include "ui/settings/GeneralSettingsTab.h"

#include "ui/settings/Note.h"
#include "ui/settings/SettingsForm.h"
#include "ui/shell/Appearance.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"

#include <QComboBox>
#include <QFormLayout>

namespace kinoloom {

GeneralSettingsTab::GeneralSettingsTab(Appearance *appearance, QWidget *parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_picker(new QComboBox(this))
{
    QFormLayout *form = settingsForm(this);
    m_picker->setObjectName(QStringLiteral("appearancePicker"));
    m_picker->addItem(QStringLiteral("System"), QStringLiteral("system"));
    m_picker->addItem(QStringLiteral("Light"), QStringLiteral("light"));
    m_picker->addItem(QStringLiteral("Dark"), QStringLiteral("dark"));
    form->addRow(QStringLiteral("Appearance"), m_picker);
    form->addRow(makeNote(QStringLiteral("Projects and exports stay in the folders you choose. Original source files "
                                         "are never modified by processing."),
                          StudioStyle::body(), this));

    connect(m_picker, &QComboBox::activated, this,
            [this](int index) { m_appearance->setAppearance(m_picker->itemData(index).toString()); });
    connect(appearance, &Appearance::changed, this, &GeneralSettingsTab::refresh);
    refresh();
}

void GeneralSettingsTab::refresh()
{
    // A stored text that names no scheme reads as light, as the application shows it.
    switch (m_appearance->scheme()) {
    case ColourScheme::system: m_picker->setCurrentIndex(0); break;
    case ColourScheme::light: m_picker->setCurrentIndex(1); break;
    case ColourScheme::dark: m_picker->setCurrentIndex(2); break;
    }
}

} // namespace kinoloom
