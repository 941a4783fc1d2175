#include "ui/settings/SettingsForm.h"

#include "ui/shell/ObjectName.h"
#include "ui/shell/StudioStyle.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>

namespace kinoloom {

QFormLayout *settingsForm(QWidget *tab)
{
    auto *form = new QFormLayout(tab);
    form->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->setVerticalSpacing(StudioStyle::regular);
    return form;
}

QHBoxLayout *buttonRow()
{
    auto *row = new QHBoxLayout;
    row->setSpacing(StudioStyle::compact);
    return row;
}

QFormLayout *settingsSection(QFormLayout *form, const QString &title, QWidget *tab)
{
    auto *section = new QGroupBox(title, tab);
    section->setObjectName(objectNameFor(title, QStringLiteral("Section")));
    auto *inner = new QFormLayout(section);
    inner->setContentsMargins(StudioStyle::insets(StudioStyle::regular));
    inner->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    inner->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    inner->setVerticalSpacing(StudioStyle::compact);
    form->addRow(section);
    return inner;
}

} // namespace kinoloom
