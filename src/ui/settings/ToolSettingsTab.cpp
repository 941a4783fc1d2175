#include "ui/settings/ToolSettingsTab.h"

#include "session/StudioModel.h"
#include "ui/settings/Note.h"
#include "ui/settings/SettingsForm.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/ObjectName.h"
#include "ui/shell/StudioStyle.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr int toolNameWidth = 70;

} // namespace

ToolSettingsTab::ToolSettingsTab(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_report(new QVBoxLayout)
{
    QFormLayout *form = settingsForm(this);
    // Each edit is stored at once, so a job started from the other window uses the path on screen.
    Binding<QString> gyroflow{[this] { return m_model->tools().gyroflow; },
                              [this](const QString &path) {
                                  ToolPaths tools = m_model->tools();
                                  tools.gyroflow = path;
                                  m_model->setTools(tools);
                                  m_model->saveTools();
                              }};
    form->addRow(executable(QStringLiteral("Gyroflow"), std::move(gyroflow)));

    auto *check = new QPushButton(QStringLiteral("Check dependencies"), this);
    check->setObjectName(QStringLiteral("checkDependenciesButton"));
    QHBoxLayout *checkRow = buttonRow();
    checkRow->addWidget(check);
    checkRow->addStretch(1);
    form->addRow(checkRow);
    m_report->setSpacing(StudioStyle::small);
    form->addRow(m_report);
    form->addRow(
        makeNote(QStringLiteral("FFmpeg and ffprobe run from the programs installed on the system. vid.stab is "
                                "included. Titles are drawn natively."),
                 StudioStyle::caption(), this));

    connect(check, &QPushButton::clicked, this, [this] {
        // Saved again first, so the check runs with the path on screen.
        m_model->saveTools();
        m_model->checkDependencies();
    });

    auto *refresh = new CoalescedRefresh([this] { this->refresh(); }, this);
    refresh->follow(model, &StudioModel::toolsChanged, &StudioModel::dependenciesChanged);
    refresh->runNow();
}

QHBoxLayout *ToolSettingsTab::executable(const QString &name, Binding<QString> value)
{
    QHBoxLayout *row = buttonRow();
    auto *title = new QLabel(name, this);
    title->setFixedWidth(toolNameWidth);
    row->addWidget(title);
    auto *field = new QLineEdit(this);
    field->setObjectName(objectNameFor(name, QStringLiteral("PathField")));
    field->setAccessibleName(name);
    field->setText(value.get());
    row->addWidget(field, 1);
    auto *choose = new QPushButton(QStringLiteral("Choose…"), this);
    choose->setObjectName(objectNameFor(name, QStringLiteral("ChooseButton")));
    row->addWidget(choose);

    connect(field, &QLineEdit::textEdited, this, [value](const QString &text) { value.set(text); });
    connect(choose, &QPushButton::clicked, this, [this, value] {
        const QStringList chosen = m_model->panels().open(OpenPanel{});
        if (!chosen.isEmpty())
            value.set(chosen.constFirst());
    });
    m_paths.append({field, std::move(value)});
    return row;
}

void ToolSettingsTab::refresh()
{
    // Only a path that differs is put back, so typing keeps its cursor.
    for (const auto &[field, value] : std::as_const(m_paths)) {
        const QString path = value.get();
        if (field->text() != path)
            field->setText(path);
    }

    while (QLayoutItem *item = m_report->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString &line : m_model->dependencies()) {
        auto *label = new ClampedLabel(line, this);
        label->setFont(StudioStyle::caption());
        label->setObjectName(QStringLiteral("dependencyLine"));
        m_report->addWidget(label);
    }
}

} // namespace kinoloom
