#include "ui/shell/PrimitiveShowcase.h"
#include "ui/shell/EmptyWorkspace.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/ResourcePicker.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StatusLabel.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/ValueSlider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

QWidget *buttonRow(QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ProminentButton(QStringLiteral("Primary action"), row), 0, Qt::AlignVCenter);
    layout->addWidget(new QPushButton(QStringLiteral("Secondary action"), row), 0, Qt::AlignVCenter);
    auto *unavailable = new QPushButton(QStringLiteral("Unavailable"), row);
    unavailable->setEnabled(false);
    layout->addWidget(unavailable, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return row;
}

} // namespace

PrimitiveShowcase::PrimitiveShowcase(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Components"));
    setMinimumSize(600, 600);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);

    auto *content = new QWidget;
    content->setBackgroundRole(QPalette::Window);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    column->setSpacing(StudioStyle::spacious);

    auto *heading = new QLabel(QStringLiteral("Kinoloom / Components"), content);
    heading->setFont(StudioStyle::title());
    column->addWidget(heading);
    column->addWidget(new SectionHeading(QStringLiteral("Native controls"),
                                         QStringLiteral("Semantic surfaces, system focus, and restrained hierarchy."),
                                         {}, content));
    column->addWidget(buttonRow(content));

    m_slider = new ValueSlider(QStringLiteral("Saturation"), Binding<double>::to(m_value), {0, 2}, content);
    auto *progress = new QProgressBar(content);
    progress->setRange(0, 1000);
    progress->setValue(400);
    progress->setTextVisible(false);
    progress->setAccessibleName(QStringLiteral("Example measured progress"));
    column->addWidget(new StudioPanel(
        {m_slider, new StatusLabel(QStringLiteral("Ready"), QStringLiteral("checkmark.circle"), content),
         new StatusLabel(QStringLiteral("Source missing — relink this clip"),
                         QStringLiteral("exclamationmark.triangle"), content),
         progress},
        content));

    auto *empty = new EmptyWorkspace(QStringLiteral("film.stack"), QStringLiteral("Your next film starts here"),
                                     QStringLiteral("Create a project and import footage to begin."), content);
    empty->setFixedHeight(180);
    column->addWidget(empty);
    column->addWidget(new ResourcePicker(
        QStringLiteral("Music"), {}, [] {}, [] {}, content));
    column->addStretch(1);

    auto *scroll = new QScrollArea(this);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setBackgroundRole(QPalette::Window);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}

} // namespace kinoloom
