#include "ui/inspector/ExportInspector.h"

#include "model/ExportResolution.h"
#include "session/StudioModel.h"
#include "ui/inspector/ExportTexts.h"
#include "ui/inspector/HardwareEncoderCheck.h"
#include "ui/inspector/SettingsBindings.h"
#include "ui/inspector/SymbolLabel.h"
#include "ui/inspector/Tones.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/DesktopServices.h"
#include "ui/shell/Divider.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

// A caption above a picker that takes the column's width.
QWidget *labelled(const QString &text, QWidget *control, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::small);
    auto *label = new QLabel(text, box);
    label->setFont(StudioStyle::caption());
    label->setForegroundRole(StudioStyle::secondaryTextRole);
    column->addWidget(label);
    column->addWidget(control);
    return box;
}

// A borderless button with a symbol, in the caption size.
QPushButton *plainButton(const QString &text, const QString &symbol, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    if (!symbol.isEmpty())
        button->setIcon(symbolIcon(symbol));
    button->setFlat(true);
    button->setFont(StudioStyle::caption());
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

// The output path as a box: a faint fill under a hairline outline.
class PathBox : public QWidget
{
public:
    explicit PathBox(QWidget *parent)
        : QWidget(parent)
        , m_text(new ClampedLabel({}, this))
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(StudioStyle::small, StudioStyle::compact, StudioStyle::small, StudioStyle::compact);
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPixelSize(StudioStyle::caption().pixelSize());
        m_text->setFont(mono);
        m_text->setMaxLines(2);
        layout->addWidget(m_text);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void setText(const QString &text)
    {
        if (text == m_text->text())
            return;
        m_text->setText(text);
        setToolTip(text);
    }
    QString text() const { return m_text->text(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.06f);
        const qreal outline = std::max(0.5, 1.0 / devicePixelRatioF());
        painter.setPen(QPen(StudioStyle::rule(palette()), outline));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()).adjusted(outline / 2, outline / 2, -outline / 2, -outline / 2),
                                StudioStyle::small, StudioStyle::small);
    }

private:
    ClampedLabel *m_text;
};

std::optional<QString> exportsFolder(const StudioModel &model)
{
    if (!model.root())
        return std::nullopt;
    return QDir(*model.root()).filePath(QStringLiteral("Exports")) + QLatin1Char('/');
}

bool hasCustomOutput(const StudioModel &model)
{
    const std::optional<QString> &path = model.project().settings.finalOutputPath;
    return path && !path->isEmpty();
}

} // namespace

const QList<int> ExportInspector::frameRates = {24, 25, 30, 50, 60};

ExportInspector::ExportInspector(StudioModel *model, const HardwareEncoderCheck *hardware,
                                 std::shared_ptr<DesktopServices> desktop, QWidget *parent)
    : InspectorSection(model, StudioStyle::regular, parent)
    , m_hardware(hardware)
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("exportInspector"));
    addChoices();
    addSummary();
    refresh();
}

void ExportInspector::addChoices()
{
    StudioModel *session = model();
    column()->addWidget(new SectionHeading(QStringLiteral("Output settings"),
                                           QStringLiteral("Choose the format and clips for this export."),
                                           QStringLiteral("film"), this));

    auto *required = new SymbolLabel({}, QStringLiteral("exclamationmark.triangle"), StudioStyle::caption(),
                                     SymbolLabel::Tone::warning, this);
    required->setObjectName(QStringLiteral("requirementsLine"));
    column()->addWidget(required);
    showWhile(required, [session] { return !session->canExportFilm(); });
    follow([session, required] { required->setText(exportTexts::requirements(session->missingExportRequirements())); });

    QStringList sizes;
    for (const ExportResolution resolution : allExportResolutions())
        sizes.append(title(resolution));
    QComboBox *size = picker(QStringLiteral("Export size"), sizes,
                             {[session] { return int(session->project().settings.selectedExportResolution()); },
                              [session](const int &index) {
                                  session->editProject([index](StudioProject &project) {
                                      project.settings.exportResolution = allExportResolutions().value(index);
                                  });
                              }});
    QStringList rates;
    for (const int rate : frameRates)
        rates.append(QStringLiteral("%1 fps").arg(rate));
    QComboBox *rate = picker(
        QStringLiteral("Frame rate"), rates,
        {[session] { return int(frameRates.indexOf(session->project().settings.fps)); },
         [session](const int &index) {
             session->editProject([index](StudioProject &project) { project.settings.fps = frameRates.value(index); });
         }});
    auto *sizeAndRate = new QHBoxLayout;
    sizeAndRate->setSpacing(StudioStyle::regular);
    sizeAndRate->addWidget(labelled(QStringLiteral("Export size"), size, this), 1, Qt::AlignTop);
    sizeAndRate->addWidget(labelled(QStringLiteral("Frame rate"), rate, this), 1, Qt::AlignTop);
    column()->addLayout(sizeAndRate);

    QStringList codecs;
    for (const ExportCodec codec : allExportCodecs())
        codecs.append(title(codec));
    QComboBox *codec = picker(QStringLiteral("Main codec"), codecs,
                              {[session] { return int(session->project().settings.selectedExportCodec()); },
                               [session](const int &index) {
                                   session->editProject([index](StudioProject &project) {
                                       project.settings.setExportCodec(allExportCodecs().value(index));
                                   });
                               }});
    column()->addWidget(labelled(QStringLiteral("Main codec"), codec, this));

    auto *note = new SymbolLabel({}, QStringLiteral("info.circle"), StudioStyle::caption(), SymbolLabel::Tone::hint,
                                 this);
    note->setObjectName(QStringLiteral("codecNote"));
    column()->addWidget(note);
    follow([session, note] {
        note->setText(exportTexts::codecSummary(session->project().settings.selectedExportCodec()));
    });

    auto *toggles = new QGridLayout;
    toggles->setHorizontalSpacing(StudioStyle::regular);
    toggles->setVerticalSpacing(StudioStyle::compact);
    toggles->addWidget(
        toggle(QStringLiteral("Include hook opening"), settingsFlag(session, &ProcessingSettings::includeHooks)), 0, 0);
    toggles->addWidget(toggle(QStringLiteral("Vertical Short"), settingsFlag(session, &ProcessingSettings::makeShort)),
                       0, 1);
    toggles->addWidget(
        toggle(QStringLiteral("5-second clip limit"),
               settingsFlag(session, &ProcessingSettings::fiveSecondClipCap, &ProcessingSettings::setFiveSecondClipCap),
               QStringLiteral("Use up to five seconds from each sequence clip. Short clips remain "
                              "shorter.")),
        1, 0);
    QCheckBox *software = toggle(QStringLiteral("Software encoding"),
                                 settingsFlag(session, &ProcessingSettings::softwareEncoding));
    follow([session, software] {
        software->setToolTip(exportTexts::softwareEncodingHelp(session->project().settings.selectedExportCodec()));
    });
    toggles->addWidget(software, 1, 1);
    column()->addLayout(toggles);

    QLabel *shortNote = caption(QStringLiteral("Short: 1080 × 1920 · HEVC · up to 59 seconds"));
    shortNote->setObjectName(QStringLiteral("shortNote"));
    column()->addWidget(shortNote);
    showWhile(shortNote, [session] { return session->project().settings.makeShort; });

    QPushButton *clear = plainButton(QStringLiteral("Clear generated cache…"), QStringLiteral("trash"), this);
    clear->setObjectName(QStringLiteral("clearCacheButton"));
    markDestructive(clear);
    connect(clear, &QPushButton::clicked, this, [session] { session->setShowCacheClearConfirmation(true); });
    follow([session, clear] { clear->setEnabled(!session->busy()); });
    column()->addWidget(clear, 0, Qt::AlignLeft);
}

QWidget *ExportInspector::summaryCell(const QString &title, std::function<QString()> value)
{
    auto *cell = new QWidget(this);
    cell->setObjectName(QStringLiteral("summaryCell"));
    auto *column = new QVBoxLayout(cell);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::small);
    auto *heading = new QLabel(title, cell);
    heading->setObjectName(QStringLiteral("summaryTitle"));
    heading->setFont(StudioStyle::caption());
    heading->setForegroundRole(StudioStyle::secondaryTextRole);
    auto *shown = new ClampedLabel({}, cell);
    shown->setObjectName(QStringLiteral("summaryValue"));
    shown->setFont(StudioStyle::font(StudioStyle::caption().pixelSize(), QFont::Medium));
    shown->setMaxLines(1);
    shown->setElideMode(Qt::ElideMiddle);
    column->addWidget(heading);
    column->addWidget(shown);
    follow([shown, value = std::move(value)] {
        const QString text = value();
        shown->setText(text);
        shown->setToolTip(text);
    });
    return cell;
}

void ExportInspector::addSummary()
{
    StudioModel *session = model();
    const auto settings = [session]() -> const ProcessingSettings & { return session->project().settings; };
    auto *panel = new StudioPanel({}, this);
    panel->setObjectName(QStringLiteral("exportSummary"));
    panel->addWidget(new SectionHeading(QStringLiteral("Export summary"),
                                        QStringLiteral("Current settings and destination"),
                                        QStringLiteral("doc.text.magnifyingglass"), panel));

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(StudioStyle::regular);
    grid->setVerticalSpacing(StudioStyle::compact);
    const QList<QPair<QString, std::function<QString()>>> cells = {
        {QStringLiteral("Resolution"),
         [session, settings] { return exportTexts::resolutionSummary(settings(), session->project().sequence()); }},
        {QStringLiteral("Frame rate"), [settings] { return QStringLiteral("%1 fps").arg(settings().fps); }},
        {QStringLiteral("Format"), [settings] { return exportTexts::format(settings().selectedExportCodec()); }},
        {QStringLiteral("Sound"), [settings] { return exportTexts::sound(settings().selectedExportCodec()); }},
        {QStringLiteral("Original audio"), [settings] { return exportTexts::percent(settings().audioPercent); }},
        {QStringLiteral("Music"), [settings] { return exportTexts::music(settings().music); }},
        {QStringLiteral("Vertical Short"),
         [settings] { return settings().makeShort ? QStringLiteral("1080 × 1920 · HEVC") : QStringLiteral("Off"); }},
        {QStringLiteral("Clip length cap"),
         [settings] {
             return settings().fiveSecondClipCap() ? QStringLiteral("5 seconds each") : QStringLiteral("Off");
         }},
        {QStringLiteral("Encoder"),
         [this, settings] {
             const ExportCodec codec = settings().selectedExportCodec();
             return exportTexts::encoder(codec, settings().softwareEncoding, m_hardware && m_hardware->works(codec));
         }},
        {QString(), [] { return QString(); }},
    };
    for (int index = 0; index < cells.size(); ++index)
        grid->addWidget(summaryCell(cells[index].first, cells[index].second), index / 2, index % 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    panel->addLayout(grid);
    panel->addWidget(new Divider(panel));

    auto *output = new QVBoxLayout;
    output->setSpacing(StudioStyle::compact);
    auto *heading = new SymbolLabel(QStringLiteral("Final output path (Required)"), QStringLiteral("folder"),
                                    StudioStyle::font(StudioStyle::caption().pixelSize(), QFont::DemiBold),
                                    SymbolLabel::Tone::primary, panel);
    output->addWidget(heading);
    auto *path = new PathBox(panel);
    path->setObjectName(QStringLiteral("outputPathBox"));
    follow([session, path] { path->setText(exportTexts::outputPath(session->project().settings.finalOutputPath)); });
    output->addWidget(path);

    auto *buttons = new QHBoxLayout;
    QPushButton *choose = plainButton(QStringLiteral("Choose file…"), QStringLiteral("doc.badge.plus"), panel);
    choose->setObjectName(QStringLiteral("chooseOutputButton"));
    connect(choose, &QPushButton::clicked, this, [session] { session->chooseFinalOutputPath(); });
    QPushButton *useExports = plainButton(QStringLiteral("Use project Exports"), {}, panel);
    useExports->setObjectName(QStringLiteral("useProjectExportsButton"));
    connect(useExports, &QPushButton::clicked, this, [session] {
        session->editProject([](StudioProject &project) { project.settings.finalOutputPath.reset(); });
    });
    showWhile(useExports, [session] { return hasCustomOutput(*session); });
    buttons->addWidget(choose);
    buttons->addWidget(useExports);
    buttons->addStretch(1);
    output->addLayout(buttons);

    QLabel *used = caption(
        QStringLiteral("Used for the main film. Preview and Short files stay in the project exports."));
    output->addWidget(used);

    auto *folder = new ClampedLabel({}, panel);
    folder->setObjectName(QStringLiteral("exportsFolderLine"));
    folder->setFont(StudioStyle::caption());
    folder->setForegroundRole(StudioStyle::secondaryTextRole);
    folder->setMaxLines(1);
    folder->setElideMode(Qt::ElideMiddle);
    follow([session, folder] {
        const QString text = exportsFolder(*session).value_or(QStringLiteral("Project folder unavailable"));
        folder->setText(text);
        folder->setToolTip(text);
    });
    output->addWidget(folder);

    QPushButton *show = plainButton(QStringLiteral("Show in file manager"), QStringLiteral("folder"), panel);
    show->setObjectName(QStringLiteral("showExportsButton"));
    connect(show, &QPushButton::clicked, this, [this, session] {
        if (const std::optional<QString> exports = exportsFolder(*session); exports && m_desktop)
            m_desktop->openFolder(*exports);
    });
    showWhile(show, [session] { return session->root().has_value(); });
    output->addWidget(show, 0, Qt::AlignLeft);
    panel->addLayout(output);
    column()->addWidget(panel);
}

QString ExportInspector::summaryValue(const QString &title) const
{
    for (const QWidget *cell : findChildren<QWidget *>(QStringLiteral("summaryCell"))) {
        if (cell->findChild<QLabel *>(QStringLiteral("summaryTitle"))->text() == title)
            return cell->findChild<ClampedLabel *>(QStringLiteral("summaryValue"))->text();
    }
    return {};
}

} // namespace kinoloom
