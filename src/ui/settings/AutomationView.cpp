#include "ui/settings/AutomationView.h"

#include "session/StudioModel.h"
#include "ui/settings/Note.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/Divider.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTextDocument>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr int progressWidth = 60;

QFormLayout *sectionForm(QGroupBox *box)
{
    auto *form = new QFormLayout(box);
    form->setContentsMargins(StudioStyle::insets(StudioStyle::regular));
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->setVerticalSpacing(StudioStyle::compact);
    return form;
}

// A push button that Return never presses: the sheet has no default action.
QPushButton *plainButton(QPushButton *button, const QString &name)
{
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QCheckBox *toggle(const QString &text, const QString &name, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

// The height of a plain text field that shows `lines` lines.
int heightForLines(const QPlainTextEdit &field, int lines)
{
    const int margin = int(std::ceil(field.document()->documentMargin()));
    return lines * field.fontMetrics().lineSpacing() + 2 * (margin + field.frameWidth());
}

// Only a text that differs is put back, so typing keeps its cursor and a selection stays.
void setTextIfChanged(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

} // namespace

AutomationView::AutomationView(StudioModel *model, QDialog *sheet)
    : QWidget(sheet)
    , m_model(model)
    , m_sheet(sheet)
    , m_choices(AutomationChoices::opening(model->project()))
{
    setObjectName(QStringLiteral("automationView"));
    setFixedSize(sheetSize);
    // A channel checked for an earlier sheet is checked again.
    model->setAutomationChannelID(QString());
    model->setAutomationChannelName(QString());

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(new Divider(this));

    m_form = new QWidget;
    m_form->setObjectName(QStringLiteral("automationForm"));
    auto *form = new QVBoxLayout(m_form);
    form->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    form->setSpacing(StudioStyle::padding);
    form->addWidget(makeSource());
    form->addWidget(makeProcess());
    form->addWidget(makeDestination());
    form->addStretch(1);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("automationScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(m_form);
    // The form sits on the window's own background.
    scroll->viewport()->setAutoFillBackground(false);
    m_form->setAutoFillBackground(false);
    column->addWidget(scroll, 1);

    column->addWidget(new Divider(this));
    column->addWidget(makeButtonBar());

    // Escape is the cancel button's, busy or not, so a running check is cancelled rather than
    // the sheet closed under it.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &AutomationView::cancelPressed);

    auto *refresh = new CoalescedRefresh([this] { this->refresh(); }, this);
    refresh->follow(model, &StudioModel::projectChanged, &StudioModel::jobChanged,
                    &StudioModel::automationChannelIDChanged, &StudioModel::automationChannelNameChanged);
    refresh->runNow();
}

SheetContent AutomationView::content()
{
    return [](StudioModel *model, QDialog *sheet) { return new AutomationView(model, sheet); };
}

QWidget *AutomationView::makeHeader()
{
    auto *header = new QWidget(this);
    auto *column = new QVBoxLayout(header);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    column->setSpacing(StudioStyle::compact);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(StudioStyle::compact);
    titleRow->addWidget(new SymbolView(QStringLiteral("play.circle"), StudioStyle::title().pixelSize(),
                                       SymbolWeight::semibold, header));
    auto *title = new QLabel(QStringLiteral("Automated run"), header);
    title->setFont(StudioStyle::title());
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    column->addLayout(titleRow);
    column->addWidget(makeNote(QStringLiteral("Choose once. Import, check, prepare, export, and optionally upload."),
                               StudioStyle::body(), header));
    return header;
}

QWidget *AutomationView::makeSource()
{
    auto *box = new QGroupBox(QStringLiteral("1 · Source"), m_form);
    QFormLayout *form = sectionForm(box);
    m_assetCount = new QLabel(box);
    m_assetCount->setObjectName(QStringLiteral("assetCountLabel"));
    form->addRow(QStringLiteral("Current project"), m_assetCount);

    auto *folderRow = new QHBoxLayout;
    folderRow->setSpacing(StudioStyle::compact);
    // Read-only and frameless: it reads as text, and the whole path can be selected and copied.
    m_folder = new QLineEdit(box);
    m_folder->setObjectName(QStringLiteral("sourceFolderText"));
    m_folder->setReadOnly(true);
    m_folder->setFrame(false);
    m_folder->setFocusPolicy(Qt::ClickFocus);
    m_folder->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    folderRow->addWidget(m_folder, 1);
    auto *choose = plainButton(new QPushButton(QStringLiteral("Choose folder…"), box),
                               QStringLiteral("chooseFolderButton"));
    folderRow->addWidget(choose);
    m_clearFolder = plainButton(new QPushButton(QStringLiteral("Clear"), box), QStringLiteral("clearFolderButton"));
    folderRow->addWidget(m_clearFolder);
    form->addRow(folderRow);

    m_todayOnlyGroup = new QWidget(box);
    auto *today = new QVBoxLayout(m_todayOnlyGroup);
    today->setContentsMargins(0, 0, 0, 0);
    today->setSpacing(StudioStyle::small);
    m_todayOnly = toggle(QStringLiteral("Only files modified today"), QStringLiteral("todayOnlyToggle"), box);
    today->addWidget(m_todayOnly);
    today->addWidget(makeNote(QStringLiteral("Includes subfolders. New media is copied into the project in filename "
                                             "order; existing imports are skipped."),
                              StudioStyle::caption(), m_todayOnlyGroup));
    form->addRow(m_todayOnlyGroup);

    connect(choose, &QPushButton::clicked, this, &AutomationView::chooseFolder);
    connect(m_clearFolder, &QPushButton::clicked, this, [this] {
        m_choices.options.sourceFolder.clear();
        refresh();
    });
    connect(m_todayOnly, &QCheckBox::toggled, this, [this](bool on) { m_choices.options.todayOnly = on; });
    return box;
}

QWidget *AutomationView::makeProcess()
{
    auto *box = new QGroupBox(QStringLiteral("2 · Process and export"), m_form);
    QFormLayout *form = sectionForm(box);
    m_validate = toggle(QStringLiteral("Check entire clips for decoding errors"), QStringLiteral("validateToggle"),
                        box);
    form->addRow(m_validate);
    m_hooks = toggle(QStringLiteral("Choose up to five hooks automatically"), QStringLiteral("hooksToggle"), box);
    form->addRow(m_hooks);
    form->addRow(makeNote(QStringLiteral("Uses evenly spaced main videos only when no hooks exist. Your sequence, "
                                         "intro, outro, music, titles, and corrections use the current project "
                                         "settings."),
                          StudioStyle::caption(), box));
    m_short = toggle(QStringLiteral("Also create a vertical Short"), QStringLiteral("shortToggle"), box);
    form->addRow(m_short);
    m_mainFilm = new QLabel(box);
    m_mainFilm->setObjectName(QStringLiteral("mainFilmLabel"));
    form->addRow(QStringLiteral("Main film"), m_mainFilm);
    form->addRow(
        makeNote(QStringLiteral("No extra image processing is enabled. A failed stage stops the run; completed "
                                "imports and exports are kept."),
                 StudioStyle::caption(), box));

    connect(m_validate, &QCheckBox::toggled, this, [this](bool on) { m_choices.options.validateClips = on; });
    connect(m_hooks, &QCheckBox::toggled, this, [this](bool on) { m_choices.options.automaticHooks = on; });
    connect(m_short, &QCheckBox::toggled, this, [this](bool on) {
        m_choices.options.makeShort = on;
        refresh();
    });
    return box;
}

QWidget *AutomationView::makeDestination()
{
    auto *box = new QGroupBox(QStringLiteral("3 · Destination"), m_form);
    QFormLayout *form = sectionForm(box);
    m_upload = toggle(QStringLiteral("Upload finished exports to YouTube"), QStringLiteral("uploadToggle"), box);
    form->addRow(m_upload);
    m_saveNote = makeNote(QStringLiteral("Saves to the project's Exports folder. You can review and upload later in "
                                         "Publish."),
                          StudioStyle::caption(), box);
    form->addRow(m_saveNote);

    m_uploadGroup = new QWidget(box);
    m_uploadGroup->setObjectName(QStringLiteral("uploadDetails"));
    auto *upload = new QFormLayout(m_uploadGroup);
    upload->setContentsMargins(0, 0, 0, 0);
    upload->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    upload->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    upload->setVerticalSpacing(StudioStyle::compact);

    auto *channelRow = new QHBoxLayout;
    channelRow->setSpacing(StudioStyle::compact);
    channelRow->addWidget(new SymbolView(QStringLiteral("person.crop.circle"), StudioStyle::body().pixelSize(),
                                         SymbolWeight::regular, m_uploadGroup));
    m_channel = new QLabel(m_uploadGroup);
    m_channel->setObjectName(QStringLiteral("channelLabel"));
    m_channel->setTextFormat(Qt::PlainText);
    channelRow->addWidget(m_channel, 1);
    auto *check = plainButton(new QPushButton(QStringLiteral("Check channel"), m_uploadGroup),
                              QStringLiteral("checkChannelButton"));
    channelRow->addWidget(check);
    upload->addRow(channelRow);

    m_title = new QLineEdit(m_uploadGroup);
    m_title->setObjectName(QStringLiteral("titleField"));
    upload->addRow(QStringLiteral("YouTube title"), m_title);
    m_description = new QPlainTextEdit(m_uploadGroup);
    m_description->setObjectName(QStringLiteral("descriptionField"));
    m_description->setTabChangesFocus(true);
    m_description->setMinimumHeight(heightForLines(*m_description, 3));
    m_description->setMaximumHeight(heightForLines(*m_description, 5));
    upload->addRow(QStringLiteral("Description"), m_description);
    m_tags = new QLineEdit(m_uploadGroup);
    m_tags->setObjectName(QStringLiteral("tagsField"));
    upload->addRow(QStringLiteral("Tags"), m_tags);
    m_privacy = new QComboBox(m_uploadGroup);
    m_privacy->setObjectName(QStringLiteral("visibilityPicker"));
    m_privacy->addItem(QStringLiteral("Private"), QStringLiteral("private"));
    m_privacy->addItem(QStringLiteral("Unlisted"), QStringLiteral("unlisted"));
    m_privacy->addItem(QStringLiteral("Public"), QStringLiteral("public"));
    upload->addRow(QStringLiteral("Visibility"), m_privacy);
    m_madeForKids = toggle(QStringLiteral("Made for kids"), QStringLiteral("madeForKidsToggle"), m_uploadGroup);
    upload->addRow(m_madeForKids);
    m_authorization = makeNote(QString(), StudioStyle::caption(), m_uploadGroup);
    m_authorization->setObjectName(QStringLiteral("authorizationNote"));
    upload->addRow(m_authorization);
    form->addRow(m_uploadGroup);

    connect(m_upload, &QCheckBox::toggled, this, [this](bool on) {
        m_choices.options.upload = on;
        refresh();
    });
    connect(check, &QPushButton::clicked, this, [this] { m_model->checkAutomationChannel(); });
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_choices.publish.title = text;
        refresh();
    });
    connect(m_description, &QPlainTextEdit::textChanged, this,
            [this] { m_choices.publish.description = m_description->toPlainText(); });
    connect(m_tags, &QLineEdit::textEdited, this, [this](const QString &text) { m_choices.publish.tags = text; });
    connect(m_privacy, &QComboBox::activated, this,
            [this](int index) { m_choices.publish.privacy = m_privacy->itemData(index).toString(); });
    connect(m_madeForKids, &QCheckBox::toggled, this, [this](bool on) { m_choices.publish.madeForKids = on; });
    return box;
}

QWidget *AutomationView::makeButtonBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("jobProgress"));
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(progressWidth);
    m_progress->setMaximumHeight(StudioStyle::compact);
    row->addWidget(m_progress);
    m_stage = new QLabel(bar);
    m_stage->setObjectName(QStringLiteral("jobStageLabel"));
    m_stage->setTextFormat(Qt::PlainText);
    m_stage->setFont(StudioStyle::caption());
    row->addWidget(m_stage);
    row->addStretch(1);
    m_cancel = plainButton(new QPushButton(bar), QStringLiteral("cancelButton"));
    row->addWidget(m_cancel);
    m_start = plainButton(new ProminentButton(QString(), bar), QStringLiteral("startButton"));
    row->addWidget(m_start);

    connect(m_cancel, &QPushButton::clicked, this, &AutomationView::cancelPressed);
    connect(m_start, &QPushButton::clicked, this, [this] {
        // The button's rule is checked again: a click may arrive after the state changed.
        if (m_choices.canStart(m_model->project(), m_model->busy(), m_model->automationChannelID()))
            m_model->automate(m_choices.options, m_choices.publish);
    });
    return bar;
}

void AutomationView::chooseFolder()
{
    OpenPanel panel;
    panel.prompt = QStringLiteral("Use source folder");
    panel.directories = true;
    const QStringList chosen = m_model->panels().open(panel);
    if (chosen.isEmpty())
        return;
    m_choices.options.sourceFolder = chosen.constFirst();
    refresh();
}

void AutomationView::cancelPressed()
{
    if (m_model->busy())
        m_model->cancel();
    else
        m_sheet->reject();
}

void AutomationView::refresh()
{
    const StudioProject &project = m_model->project();
    const AutomationOptions &options = m_choices.options;
    const PublishSettings &publish = m_choices.publish;
    const bool busy = m_model->busy();

    m_form->setEnabled(!busy);
    m_assetCount->setText(QStringLiteral("%1 assets").arg(project.assets.size()));
    const bool hasFolder = !options.sourceFolder.isEmpty();
    const QString folderText = hasFolder ? options.sourceFolder : QStringLiteral("Use current project media");
    if (m_folder->text() != folderText) {
        m_folder->setText(folderText);
        m_folder->setCursorPosition(0);
    }
    m_folder->setToolTip(options.sourceFolder);
    m_clearFolder->setVisible(hasFolder);
    m_todayOnlyGroup->setVisible(hasFolder);
    m_todayOnly->setChecked(options.todayOnly);

    m_validate->setChecked(options.validateClips);
    m_hooks->setChecked(options.automaticHooks);
    m_short->setChecked(options.makeShort);
    m_mainFilm->setText(mainFilmSummary(project.settings));

    m_upload->setChecked(options.upload);
    m_saveNote->setVisible(!options.upload);
    m_uploadGroup->setVisible(options.upload);
    const QString &channel = m_model->automationChannelName();
    m_channel->setText(channel.isEmpty() ? QStringLiteral("No channel checked") : channel);
    setTextIfChanged(m_title, publish.title);
    if (m_description->toPlainText() != publish.description)
        m_description->setPlainText(publish.description);
    setTextIfChanged(m_tags, publish.tags);
    m_privacy->setCurrentIndex(m_privacy->findData(publish.privacy));
    m_madeForKids->setChecked(publish.madeForKids);
    m_authorization->setText(uploadAuthorizationNote(options.makeShort));

    m_progress->setVisible(busy);
    m_stage->setVisible(busy);
    m_stage->setText(busy ? m_model->job().stage : QString());
    m_cancel->setText(busy ? QStringLiteral("Cancel check") : QStringLiteral("Cancel"));
    m_start->setText(options.upload ? QStringLiteral("Start and upload") : QStringLiteral("Start automated run"));
    m_start->setEnabled(m_choices.canStart(project, busy, m_model->automationChannelID()));
}

} // namespace kinoloom
