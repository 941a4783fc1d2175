#include "ui/inspector/InspectorSection.h"

#include "ui/shell/ObjectName.h"
#include "ui/shell/ResourcePicker.h"
#include "ui/shell/StudioStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kinoloom {

InspectorSection::InspectorSection(StudioModel *model, int spacing, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_column(new QVBoxLayout(this))
{
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(spacing);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void InspectorSection::refresh()
{
    for (const std::function<void()> &refresher : std::as_const(m_refreshers))
        refresher();
}

void InspectorSection::follow(std::function<void()> refresher)
{
    m_refreshers.append(std::move(refresher));
}

QCheckBox *InspectorSection::toggle(const QString &title, Binding<bool> value, const QString &toolTip)
{
    auto *box = new QCheckBox(title, this);
    box->setObjectName(objectNameFor(title, QStringLiteral("Toggle")));
    box->setToolTip(toolTip);
    const auto read = [box, get = value.get] { box->setChecked(get()); };
    connect(box, &QCheckBox::clicked, this, [read, set = value.set](bool checked) {
        set(checked);
        read();
    });
    follow(read);
    read();
    return box;
}

ValueSlider *InspectorSection::slider(const QString &title, Binding<double> value, ClosedRange range)
{
    auto *row = new ValueSlider(title, std::move(value), range, this);
    row->setObjectName(objectNameFor(title, QStringLiteral("Slider")));
    follow([row] { row->refresh(); });
    return row;
}

QLineEdit *InspectorSection::textField(const QString &placeholder, Binding<QString> value)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(objectNameFor(placeholder, QStringLiteral("Field")));
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(placeholder);
    // Only a different text is put back, so the cursor stays where the user types.
    const auto read = [field, get = value.get] {
        const QString text = get();
        if (field->text() != text)
            field->setText(text);
    };
    connect(field, &QLineEdit::textEdited, this, [read, set = value.set](const QString &text) {
        set(text);
        read();
    });
    follow(read);
    read();
    return field;
}

QComboBox *InspectorSection::picker(const QString &title, const QStringList &options, Binding<int> index)
{
    auto *box = new QComboBox(this);
    box->setObjectName(objectNameFor(title, QStringLiteral("Picker")));
    box->setAccessibleName(title);
    box->addItems(options);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const auto read = [box, get = index.get] { box->setCurrentIndex(get()); };
    connect(box, &QComboBox::activated, this, [read, set = index.set](int chosen) {
        set(chosen);
        read();
    });
    follow(read);
    read();
    return box;
}

ResourcePicker *InspectorSection::fileRow(const QString &title, Binding<QString> path, std::function<void()> choose)
{
    auto *row = new ResourcePicker(
        title, path.get(), std::move(choose), [set = path.set] { set(QStringLiteral("")); }, this);
    row->setObjectName(objectNameFor(title, QStringLiteral("Row")));
    follow([row, get = path.get] { row->setPath(get()); });
    return row;
}

QLabel *InspectorSection::caption(const QString &text, bool secondary)
{
    auto *label = new QLabel(text, this);
    label->setFont(StudioStyle::caption());
    label->setWordWrap(true);
    if (secondary)
        label->setForegroundRole(StudioStyle::secondaryTextRole);
    return label;
}

void InspectorSection::showWhile(QWidget *widget, std::function<bool()> shown)
{
    const auto read = [widget, shown = std::move(shown)] { widget->setVisible(shown()); };
    follow(read);
    read();
}

} // namespace kinoloom
