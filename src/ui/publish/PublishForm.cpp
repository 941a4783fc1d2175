#include "ui/publish/PublishForm.h"

#include "session/StudioModel.h"
#include "ui/publish/ExportPicker.h"
#include "ui/publish/PublishChoices.h"
#include "ui/publish/ThumbnailStrip.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/DesktopServices.h"
#include "ui/shell/EmptyWorkspace.h"
#include "ui/shell/LinkLabel.h"
#include "ui/shell/ObjectName.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"
#include "ui/shell/SymbolView.h"
#include "ui/shell/TimeLabel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

const QList<std::pair<QString, QString>> privacies{{QStringLiteral("Private"), QStringLiteral("private")},
                                                   {QStringLiteral("Unlisted"), QStringLiteral("unlisted")},
                                                   {QStringLiteral("Public"), QStringLiteral("public")}};

bool titleIsBlank(const StudioModel &model)
{
    return model.project().publish.title.trimmed().isEmpty();
}

Binding<QString> publishText(StudioModel *model, QString PublishSettings::*field)
{
    return {[model, field] { return model->project().publish.*field; },
            [model, field](const QString &value) {
                model->editProject([field, &value](StudioProject &project) { project.publish.*field = value; });
            }};
}

// A push button that Return never presses unless it has the focus.
QPushButton *pushButton(const QString &text, const QString &symbol, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(objectNameFor(text, QStringLiteral("Button")));
    if (!symbol.isEmpty())
        button->setIcon(symbolIcon(symbol));
    button->setAutoDefault(false);
    return button;
}

QLabel *plainLabel(const QString &text, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

// A caption over its control, closer to it than the panel's rows are to each other.
QWidget *labelled(QWidget *label, QWidget *control, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins({});
    column->setSpacing(StudioStyle::small);
    column->addWidget(label);
    column->addWidget(control);
    return box;
}

// One segment of a choice: the chosen one is filled with the accent, so it reads in both looks.
class SegmentButton : public ProminentButton
{
public:
    SegmentButton(const QString &text, QWidget *parent)
        : ProminentButton(text, parent)
    {
        setCheckable(true);
        setAutoDefault(false);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (isChecked())
            ProminentButton::paintEvent(event);
        else
            QPushButton::paintEvent(event);
    }
};

// A panel that opens with its heading.
StudioPanel *headedPanel(const QString &name, const QString &title, const QString &subtitle, const QString &symbol,
                         QWidget *parent)
{
    auto *panel = new StudioPanel({}, parent);
    panel->setObjectName(name);
    panel->addWidget(new SectionHeading(title, subtitle, symbol, panel));
    return panel;
}

// One line of text, shortened in its middle where it does not fit: a file name keeps its end.
ClampedLabel *oneLine(const QString &name, const QFont &font, QWidget *parent)
{
    auto *label = new ClampedLabel({}, parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setMaxLines(1);
    label->setElideMode(Qt::ElideMiddle);
    return label;
}

QHBoxLayout *row(int spacing = StudioStyle::compact)
{
    auto *layout = new QHBoxLayout;
    layout->setContentsMargins({});
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

PublishForm::PublishForm(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent)
    : InspectorSection(model, StudioStyle::spacious, parent)
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("publishForm"));
    column()->setContentsMargins(StudioStyle::insets(StudioStyle::regular));

    m_empty = makeEmptyState();
    column()->addWidget(m_empty);

    m_columns = new QWidget(this);
    m_columns->setObjectName(QStringLiteral("publishColumns"));
    m_columnsLayout = new QBoxLayout(QBoxLayout::TopToBottom, m_columns);
    m_columnsLayout->setContentsMargins({});
    m_columnsLayout->setSpacing(StudioStyle::padding);
    m_columnsLayout->addWidget(makeDetails(), 0, Qt::AlignTop);
    auto *side = new QWidget(m_columns);
    auto *sideColumn = new QVBoxLayout(side);
    sideColumn->setContentsMargins({});
    sideColumn->setSpacing(StudioStyle::padding);
    sideColumn->addWidget(makeDestination());
    sideColumn->addWidget(makeTags());
    sideColumn->addWidget(makeExportPanel());
    sideColumn->addWidget(makeThumbnailPanel());
    m_columnsLayout->addWidget(side, 0, Qt::AlignTop);
    column()->addWidget(m_columns);
    column()->addStretch(1);

    // The same filter as the picker's: a project of previews only has nothing to publish.
    const auto nothingToPublish = [model] { return publishableNewestFirst(model->project().exports).isEmpty(); };
    showWhile(m_empty, nothingToPublish);
    showWhile(m_columns, [nothingToPublish] { return !nothingToPublish(); });
}

void PublishForm::resizeEvent(QResizeEvent *event)
{
    InspectorSection::resizeEvent(event);
    const bool wide = width() >= twoColumnWidth;
    const auto direction = wide ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (m_columnsLayout->direction() == direction)
        return;
    m_columnsLayout->setDirection(direction);
    // Side by side the columns share the width; one below the other, each keeps its height.
    for (int index = 0; index < m_columnsLayout->count(); ++index)
        m_columnsLayout->setStretch(index, wide ? 1 : 0);
}

QWidget *PublishForm::makeEmptyState()
{
    auto *box = new QWidget(this);
    box->setObjectName(QStringLiteral("publishEmpty"));
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins({});
    layout->setSpacing(StudioStyle::compact);
    auto *empty = new EmptyWorkspace(QStringLiteral("play.rectangle"), QStringLiteral("A finished film comes first"),
                                     QStringLiteral("Export your movie or Short, then review its metadata and "
                                                    "privacy here."),
                                     box);
    empty->setFixedHeight(emptyHeight);
    layout->addWidget(empty);
    QPushButton *toExport = pushButton(QStringLiteral("Go to Export"), QStringLiteral("square.and.arrow.up"), box);
    toExport->setFlat(true);
    layout->addWidget(toExport, 0, Qt::AlignHCenter);
    connect(toExport, &QPushButton::clicked, this, [this] { model()->setWorkspace(Workspace::export_); });
    return box;
}

StudioPanel *PublishForm::makeDetails()
{
    StudioModel *session = model();
    StudioPanel *panel = headedPanel(QStringLiteral("videoDetails"), QStringLiteral("Video details"),
                                     QStringLiteral("Nothing is uploaded until you confirm the final review."),
                                     QStringLiteral("text.alignleft"), this);

    m_picker = new ExportPicker(session, panel);
    QHBoxLayout *pickerRow = row();
    pickerRow->addWidget(plainLabel(QStringLiteral("Export"), StudioStyle::body(), panel));
    pickerRow->addWidget(m_picker, 1);
    panel->addLayout(pickerRow);
    follow([this] { m_picker->refresh(); });

    QLineEdit *title = textField(QStringLiteral("Title"), publishText(session, &PublishSettings::title));
    title->setAccessibleName(QStringLiteral("YouTube title"));
    panel->addWidget(labelled(plainLabel(QStringLiteral("Title"), StudioStyle::caption(), panel), title, panel));

    auto *descriptionBox = new QWidget(panel);
    auto *descriptionColumn = new QVBoxLayout(descriptionBox);
    descriptionColumn->setContentsMargins({});
    descriptionColumn->setSpacing(StudioStyle::small);
    QHBoxLayout *descriptionRow = row();
    descriptionRow->addWidget(plainLabel(QStringLiteral("Description"), StudioStyle::body(), descriptionBox));
    descriptionRow->addStretch(1);
    QPushButton *draft = pushButton(QStringLiteral("Generate draft"), QStringLiteral("sparkles"), descriptionBox);
    draft->setToolTip(QStringLiteral("Send the title to OpenAI to draft a description and tags"));
    descriptionRow->addWidget(draft);
    descriptionColumn->addLayout(descriptionRow);
    connect(draft, &QPushButton::clicked, this, [session] {
        if (!titleIsBlank(*session))
            session->generateMetadata();
    });
    follow([session, draft] { draft->setEnabled(!titleIsBlank(*session) && !session->busy()); });

    m_description = new QPlainTextEdit(descriptionBox);
    m_description->setObjectName(QStringLiteral("descriptionEditor"));
    m_description->setAccessibleName(QStringLiteral("YouTube description"));
    m_description->setFont(StudioStyle::body());
    m_description->setFixedHeight(descriptionHeight);
    m_description->setTabChangesFocus(true);
    descriptionColumn->addWidget(m_description);
    panel->addWidget(descriptionBox);
    const Binding<QString> description = publishText(session, &PublishSettings::description);
    connect(m_description, &QPlainTextEdit::textChanged, this,
            [this, set = description.set] { set(m_description->toPlainText()); });
    // Only a different text is put back, so the cursor stays where the user types.
    follow([this, get = description.get] {
        const QString text = get();
        if (m_description->toPlainText() == text)
            return;
        const QSignalBlocker blocker(m_description);
        m_description->setPlainText(text);
    });

    auto *segments = new QWidget(panel);
    QHBoxLayout *segmentRow = row(StudioStyle::small);
    segments->setLayout(segmentRow);
    m_visibility = new QButtonGroup(this);
    for (const auto &[text, value] : privacies) {
        auto *button = new SegmentButton(text, segments);
        button->setObjectName(objectNameFor(text, QStringLiteral("Visibility")));
        m_visibility->addButton(button);
        segmentRow->addWidget(button, 1);
        connect(button, &QPushButton::clicked, this, [this, session, value = value] {
            session->editProject([&value](StudioProject &project) { project.publish.privacy = value; });
            refresh();
        });
    }
    follow([this, session] {
        const QString privacy = session->project().publish.privacy;
        // A stored value that is none of the three checks no button.
        m_visibility->setExclusive(false);
        for (int index = 0; index < privacies.size(); ++index)
            m_visibility->buttons().at(index)->setChecked(privacies[index].second == privacy);
        m_visibility->setExclusive(true);
    });
    panel->addWidget(labelled(plainLabel(QStringLiteral("Visibility"), StudioStyle::body(), panel), segments, panel));

    panel->addWidget(toggle(QStringLiteral("This video is made for kids"),
                            {[session] { return session->project().publish.madeForKids; },
                             [session](const bool &value) {
                                 session->editProject(
                                     [value](StudioProject &project) { project.publish.madeForKids = value; });
                             }}));
    panel->addWidget(caption(QStringLiteral("You are responsible for setting the audience accurately.")));
    return panel;
}

StudioPanel *PublishForm::makeDestination()
{
    StudioModel *session = model();
    StudioPanel *panel = headedPanel(QStringLiteral("destination"), QStringLiteral("Destination"), {},
                                     QStringLiteral("person.crop.circle"), this);
    QHBoxLayout *accountRow = row();
    accountRow->addWidget(new SymbolView(QStringLiteral("person.crop.circle"), StudioStyle::body().pixelSize(),
                                         SymbolWeight::regular, panel));
    QLabel *account = plainLabel({}, StudioStyle::body(), panel);
    account->setObjectName(QStringLiteral("account"));
    account->setWordWrap(true);
    accountRow->addWidget(account, 1);
    panel->addLayout(accountRow);
    follow([session, account] { account->setText(session->account()); });

    QPushButton *settings = pushButton(QStringLiteral("Account settings…"), QStringLiteral("gearshape"), panel);
    QHBoxLayout *settingsRow = row();
    settingsRow->addWidget(settings);
    settingsRow->addStretch(1);
    panel->addLayout(settingsRow);
    connect(settings, &QPushButton::clicked, this, &PublishForm::openSettingsRequested);
    return panel;
}

StudioPanel *PublishForm::makeTags()
{
    StudioModel *session = model();
    StudioPanel *panel = headedPanel(QStringLiteral("tags"), QStringLiteral("Tags"),
                                     QStringLiteral("Generated or entered tags"), QStringLiteral("tag"), this);
    QLineEdit *tags = textField(QStringLiteral("Tags, separated by commas"),
                                publishText(session, &PublishSettings::tags));
    tags->setAccessibleName(QStringLiteral("YouTube tags"));
    panel->addWidget(tags);
    QLabel *none = caption(QStringLiteral("No tags yet."));
    none->setObjectName(QStringLiteral("noTags"));
    panel->addWidget(none);
    showWhile(none, [session] { return session->project().publish.tags.trimmed().isEmpty(); });
    return panel;
}

StudioPanel *PublishForm::makeExportPanel()
{
    StudioModel *session = model();
    m_exportPanel = new StudioPanel({}, this);
    m_exportPanel->setObjectName(QStringLiteral("exportPanel"));

    auto *facts = new QWidget(m_exportPanel);
    auto *factsColumn = new QVBoxLayout(facts);
    factsColumn->setContentsMargins({});
    factsColumn->setSpacing(StudioStyle::small);
    QLabel *kind = plainLabel({}, StudioStyle::section(), facts);
    kind->setObjectName(QStringLiteral("exportKind"));
    QLabel *duration = plainLabel({}, StudioStyle::body(), facts);
    duration->setObjectName(QStringLiteral("exportDuration"));
    duration->setForegroundRole(StudioStyle::secondaryTextRole);
    ClampedLabel *file = oneLine(QStringLiteral("exportFile"), StudioStyle::caption(), facts);
    for (QWidget *fact : {static_cast<QWidget *>(kind), static_cast<QWidget *>(duration), static_cast<QWidget *>(file)})
        factsColumn->addWidget(fact);
    m_exportPanel->addWidget(facts);

    QLabel *state = plainLabel({}, StudioStyle::body(), m_exportPanel);
    state->setObjectName(QStringLiteral("uploadState"));
    state->setWordWrap(true);
    m_exportPanel->addWidget(state);

    auto *uploaded = new QWidget(m_exportPanel);
    uploaded->setObjectName(QStringLiteral("uploadedActions"));
    auto *uploadedColumn = new QVBoxLayout(uploaded);
    uploadedColumn->setContentsMargins({});
    uploadedColumn->setSpacing(StudioStyle::compact);
    auto *link = new LinkLabel(QStringLiteral("Open on YouTube"), uploaded);
    link->setObjectName(QStringLiteral("openOnYouTube"));
    QPushButton *check = pushButton(QStringLiteral("Check processing"), {}, uploaded);
    QPushButton *setThumbnail = pushButton(QStringLiteral("Set selected thumbnail"), {}, uploaded);
    uploadedColumn->addWidget(link, 0, Qt::AlignLeft);
    uploadedColumn->addWidget(check, 0, Qt::AlignLeft);
    uploadedColumn->addWidget(setThumbnail, 0, Qt::AlignLeft);
    m_exportPanel->addWidget(uploaded);
    connect(link, &LinkLabel::clicked, this, [this, session] {
        const std::optional<ExportRecord> record = session->selectedExport();
        if (record && record->videoID)
            m_desktop->openUrl(videoLink(*record->videoID));
    });
    connect(check, &QPushButton::clicked, this, [session] { session->updatePublishedVideo(false); });
    connect(setThumbnail, &QPushButton::clicked, this, [session] {
        if (!session->project().publish.thumbnail.isEmpty())
            session->updatePublishedVideo(true);
    });

    m_review = new ProminentButton(QStringLiteral("Review upload…"), m_exportPanel);
    m_review->setObjectName(QStringLiteral("reviewUpload"));
    m_review->setAutoDefault(false);
    m_exportPanel->addWidget(m_review);
    connect(m_review, &QPushButton::clicked, this, [session] {
        if (!titleIsBlank(*session))
            session->reviewUpload();
    });

    follow([session, kind, duration, file, state, link, setThumbnail, this] {
        const std::optional<ExportRecord> record = session->selectedExport();
        if (!record)
            return;
        kind->setText(record->kind);
        duration->setText(timeLabel(record->duration));
        file->setText(QFileInfo(record->path).fileName());
        file->setToolTip(record->path);
        state->setText(record->uploadState.value_or(QString()));
        if (record->videoID)
            link->setToolTip(videoLink(*record->videoID).toString());
        setThumbnail->setEnabled(!session->project().publish.thumbnail.isEmpty());
        m_review->setText(record->uploadSession ? QStringLiteral("Review and resume…")
                                                : QStringLiteral("Review upload…"));
        m_review->setEnabled(!titleIsBlank(*session) && !session->busy());
    });
    showWhile(m_exportPanel, [session] { return session->selectedExport().has_value(); });
    // What the selected render holds; nothing of it while none is selected.
    const auto selectedHas = [session](bool (*test)(const ExportRecord &)) {
        return [session, test] {
            const std::optional<ExportRecord> record = session->selectedExport();
            return record && test(*record);
        };
    };
    showWhile(state, selectedHas([](const ExportRecord &record) { return record.uploadState.has_value(); }));
    showWhile(uploaded, selectedHas([](const ExportRecord &record) { return record.videoID.has_value(); }));
    showWhile(m_review, selectedHas([](const ExportRecord &record) { return !record.videoID; }));
    return m_exportPanel;
}

StudioPanel *PublishForm::makeThumbnailPanel()
{
    StudioModel *session = model();
    StudioPanel *panel = headedPanel(QStringLiteral("thumbnail"), QStringLiteral("Thumbnail"),
                                     QStringLiteral("Choose a frame or image."), QStringLiteral("photo"), this);
    QHBoxLayout *buttons = row();
    QPushButton *choose = pushButton(QStringLiteral("Choose image…"), QStringLiteral("photo"), panel);
    QPushButton *clear = pushButton(QStringLiteral("Clear"), QStringLiteral("xmark.circle"), panel);
    buttons->addWidget(choose);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    panel->addLayout(buttons);
    connect(choose, &QPushButton::clicked, this, &PublishForm::chooseImage);
    connect(clear, &QPushButton::clicked, this, [this] { setThumbnail(QString()); });
    const auto chosen = [session] { return !session->project().publish.thumbnail.isEmpty(); };
    showWhile(clear, chosen);

    QLabel *noExport = caption(QStringLiteral("Choose an export to select a frame."));
    noExport->setObjectName(QStringLiteral("noExportForFrames"));
    panel->addWidget(noExport);
    showWhile(noExport, [session] { return !session->selectedExport(); });

    m_thumbnails = new ThumbnailStrip(panel);
    panel->addWidget(m_thumbnails);
    connect(m_thumbnails, &ThumbnailStrip::chosen, this, &PublishForm::setThumbnail);
    follow([this, session] {
        const std::optional<ExportRecord> record = session->selectedExport();
        m_thumbnails->setPaths(record ? record->thumbnails : QStringList());
        m_thumbnails->setChosen(session->project().publish.thumbnail);
    });
    showWhile(m_thumbnails, [session] { return session->selectedExport().has_value(); });

    ClampedLabel *selected = oneLine(QStringLiteral("selectedThumbnail"), StudioStyle::caption(), panel);
    selected->setForegroundRole(StudioStyle::secondaryTextRole);
    panel->addWidget(selected);
    follow([session, selected] {
        const QString thumbnail = session->project().publish.thumbnail;
        selected->setText(QStringLiteral("Selected: ") + QFileInfo(thumbnail).fileName());
        selected->setToolTip(thumbnail);
    });
    showWhile(selected, chosen);
    return panel;
}

void PublishForm::chooseImage()
{
    OpenPanel panel;
    panel.prompt = QStringLiteral("Choose");
    panel.message = QStringLiteral("Choose a thumbnail image");
    panel.nameFilters = {QStringLiteral("JPEG or PNG images (*.jpg *.jpeg *.png *.JPG *.JPEG *.PNG)")};
    const QStringList chosen = model()->panels().open(panel);
    if (!chosen.isEmpty())
        setThumbnail(chosen.constFirst());
}

void PublishForm::setThumbnail(const QString &path)
{
    model()->editProject([&path](StudioProject &project) { project.publish.thumbnail = path; });
    refresh();
}

} // namespace kinoloom
