#include "ui/workspace/JobDrawer.h"

#include "session/StudioModel.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/ObjectName.h"
#include "ui/shell/PlainToolTip.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"
#include "ui/shell/SymbolView.h"
#include "ui/workspace/JobProgressText.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace kinoloom {

namespace {

constexpr int percentWidth = 36;
constexpr int logFontSize = 11;
constexpr int barSteps = 1000;

const QColor orange(0xff, 0x95, 0x00);
const QColor red(0xff, 0x3b, 0x30);
const QColor green(0x34, 0xc7, 0x59);

QLabel *captionLabel(const QString &name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(StudioStyle::caption());
    return label;
}

} // namespace

JobDrawer::JobDrawer(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_status(new SymbolView(QStringLiteral("circle"), StudioStyle::body().pixelSize()))
    , m_stage(new ClampedLabel)
    , m_progressRow(new QWidget)
    , m_bar(new QProgressBar)
    , m_percent(captionLabel(QStringLiteral("progressPercent")))
    , m_steps(captionLabel(QStringLiteral("progressSteps")))
    , m_elapsed(new QWidget)
    , m_elapsedText(captionLabel(QStringLiteral("elapsedTime")))
    , m_log(new QPlainTextEdit)
    , m_clock(new QTimer(this))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("jobDrawer"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    auto *column = new QVBoxLayout(this);
    column->setSpacing(StudioStyle::compact);
    column->setAlignment(Qt::AlignTop);

    auto *header = new QHBoxLayout;
    header->setSpacing(StudioStyle::regular);
    m_status->setObjectName(QStringLiteral("jobStatus"));
    header->addWidget(m_status);
    m_stage->setObjectName(QStringLiteral("jobStage"));
    m_stage->setFont(StudioStyle::body());
    m_stage->setMaxLines(1);
    header->addWidget(m_stage, 1);
    header->addWidget(addButton(QStringLiteral("Cancel"), {}));
    header->addWidget(addButton(QStringLiteral("Resume"),
                                QStringLiteral("Continue from the failed stage using valid "
                                               "cached work")));
    header->addWidget(
        addButton(QStringLiteral("Start Again"), QStringLiteral("Clear generated cache and start from the beginning")));
    header->addWidget(addButton(QStringLiteral("Details"), QStringLiteral("Show processing details")));
    connect(button(QStringLiteral("Cancel")), &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->cancel();
    });
    connect(button(QStringLiteral("Resume")), &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->retry();
    });
    connect(button(QStringLiteral("Start Again")), &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->restart();
    });
    connect(button(QStringLiteral("Details")), &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->setShowLog(!m_model->showLog());
    });
    column->addLayout(header);

    m_progressRow->setObjectName(QStringLiteral("progressRow"));
    auto *progress = new QHBoxLayout(m_progressRow);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->setSpacing(StudioStyle::compact);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setTextVisible(false);
    progress->addWidget(m_bar, 1);
    m_percent->setMinimumWidth(percentWidth);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progress->addWidget(m_percent);
    m_steps->setForegroundRole(StudioStyle::secondaryTextRole);
    progress->addWidget(m_steps);
    m_elapsed->setObjectName(QStringLiteral("elapsed"));
    m_elapsed->setToolTip(QStringLiteral("Total elapsed time"));
    auto *elapsed = new QHBoxLayout(m_elapsed);
    elapsed->setContentsMargins(0, 0, 0, 0);
    elapsed->setSpacing(StudioStyle::small);
    auto *clock = new SymbolView(QStringLiteral("clock"), StudioStyle::caption().pixelSize());
    clock->setColourRole(StudioStyle::secondaryTextRole);
    elapsed->addWidget(clock);
    m_elapsedText->setForegroundRole(StudioStyle::secondaryTextRole);
    elapsed->addWidget(m_elapsedText);
    progress->addWidget(m_elapsed);
    column->addWidget(m_progressRow);

    m_log->setObjectName(QStringLiteral("jobLog"));
    m_log->setReadOnly(true);
    m_log->setPlaceholderText(QStringLiteral("No processing messages yet."));
    m_log->setFixedHeight(logHeight);
    m_log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(logFontSize);
    m_log->setFont(mono);
    column->addWidget(m_log);

    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &JobDrawer::updateElapsed);

    m_refresh->follow(model, &StudioModel::jobChanged, &StudioModel::showLogChanged);
    m_refresh->runNow();
}

QPushButton *JobDrawer::addButton(const QString &title, const QString &help)
{
    auto *added = new QPushButton(title);
    added->setObjectName(objectNameFor(title, QStringLiteral("Button")));
    added->setToolTip(help);
    m_buttons.append(added);
    return added;
}

QPushButton *JobDrawer::button(const QString &title) const
{
    for (QPushButton *candidate : m_buttons) {
        if (candidate->text() == title)
            return candidate;
    }
    return nullptr;
}

void JobDrawer::refresh()
{
    m_refresh->runNow();
}

void JobDrawer::update()
{
    if (!m_model)
        return;
    const StudioModel &model = *m_model;
    const JobProgress &job = model.job();
    const bool busy = model.busy();
    const bool retry = model.canRetry();
    const bool restart = model.canRestart();
    const bool log = model.showLog();

    m_status->setSymbol(statusSymbol(job.phase));
    switch (job.phase) {
    case JobPhase::cancelling:
    case JobPhase::cancelled: m_status->setColour(orange); break;
    case JobPhase::failed: m_status->setColour(red); break;
    case JobPhase::completed: m_status->setColour(green); break;
    default: m_status->setColourRole(StudioStyle::secondaryTextRole); break;
    }
    m_stage->setText(job.stage);
    m_stage->setToolTip(plainToolTip(job.stage));

    button(QStringLiteral("Cancel"))->setVisible(busy);
    button(QStringLiteral("Cancel"))->setEnabled(job.phase != JobPhase::cancelling);
    button(QStringLiteral("Resume"))->setVisible(retry);
    button(QStringLiteral("Start Again"))->setVisible(restart);
    button(QStringLiteral("Details"))
        ->setIcon(symbolIcon(log ? QStringLiteral("chevron.down") : QStringLiteral("chevron.up")));

    m_progressRow->setVisible(busy);
    const std::optional<double> fraction = shownFraction(job);
    if (fraction) {
        m_bar->setRange(0, barSteps);
        m_bar->setValue(int(std::lround(*fraction * barSteps)));
        m_percent->setText(QStringLiteral("%1%").arg(percentage(*fraction)));
    } else {
        // A range of nothing is Qt's moving bar.
        m_bar->setRange(0, 0);
    }
    m_percent->setVisible(fraction.has_value());
    m_steps->setText(stepsText(job));
    m_steps->setVisible(!job.steps.isEmpty());
    m_elapsed->setVisible(job.started.has_value());
    m_progressRow->setAccessibleName(progressAccessibleName(job));
    if (busy && job.started) {
        updateElapsed();
        if (!m_clock->isActive())
            m_clock->start();
    } else {
        m_clock->stop();
    }

    m_log->setVisible(log);
    showLog(job.log);

    m_open = log || busy || retry || restart;
    const int padding = m_open ? StudioStyle::padding : StudioStyle::compact;
    layout()->setContentsMargins(StudioStyle::padding, padding, StudioStyle::padding, padding);
    setMinimumHeight(m_open ? openHeight : closedHeight);
}

void JobDrawer::updateElapsed()
{
    if (!m_model || !m_model->job().started)
        return;
    m_elapsedText->setText(elapsedText(m_model->job().started->secsTo(QDateTime::currentDateTimeUtc())));
}

void JobDrawer::showLog(const QString &text)
{
    if (text == m_logText)
        return;
    const QString shown = std::exchange(m_logText, text);
    // The user reads where they scrolled to while lines arrive; new lines are added at the end
    // without moving the view, and only a log that lost its start is set again.
    QScrollBar *bar = m_log->verticalScrollBar();
    const int position = bar->value();
    if (!shown.isEmpty() && text.startsWith(shown)) {
        QTextCursor end(m_log->document());
        end.movePosition(QTextCursor::End);
        end.insertText(text.mid(shown.size()));
    } else {
        m_log->setPlainText(text);
    }
    bar->setValue(position);
}

} // namespace kinoloom
