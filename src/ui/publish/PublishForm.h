#pragma once

#include "ui/inspector/InspectorSection.h"

#include <memory>

class QBoxLayout;
class QButtonGroup;
class QPlainTextEdit;
class QPushButton;

namespace kinoloom {

class DesktopServices;
class ExportPicker;
class StudioPanel;
class ThumbnailStrip;

// The Publish stage's form: the video details, visibility and audience of the project's upload,
// its destination account, tags, the chosen render and its thumbnail; or, while the project has
// no render but previews, the way to Export. Every control writes the project's publish settings
// or calls one operation of the session; nothing here uploads.
//
// The details and the other panels stand side by side where the form is wide enough for two
// columns, and one below the other in the narrow inspector column.
class PublishForm : public InspectorSection
{
    Q_OBJECT

public:
    PublishForm(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent = nullptr);

    QWidget *emptyState() const { return m_empty; }
    QWidget *columns() const { return m_columns; }
    ExportPicker *picker() const { return m_picker; }
    QPlainTextEdit *description() const { return m_description; }
    QButtonGroup *visibility() const { return m_visibility; }
    StudioPanel *exportPanel() const { return m_exportPanel; }
    ThumbnailStrip *thumbnails() const { return m_thumbnails; }
    QPushButton *reviewButton() const { return m_review; }

    // Narrower than this, the two columns stand one below the other.
    static constexpr int twoColumnWidth = 640;
    static constexpr int emptyHeight = 300;
    static constexpr int descriptionHeight = 120;

Q_SIGNALS:
    // "Account settings…": the shell shows the settings window.
    void openSettingsRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *makeEmptyState();
    StudioPanel *makeDetails();
    StudioPanel *makeDestination();
    StudioPanel *makeTags();
    StudioPanel *makeExportPanel();
    StudioPanel *makeThumbnailPanel();
    void chooseImage();
    void setThumbnail(const QString &path);

    std::shared_ptr<DesktopServices> m_desktop;
    QWidget *m_empty = nullptr;
    QWidget *m_columns = nullptr;
    QBoxLayout *m_columnsLayout = nullptr;
    ExportPicker *m_picker = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QButtonGroup *m_visibility = nullptr;
    StudioPanel *m_exportPanel = nullptr;
    ThumbnailStrip *m_thumbnails = nullptr;
    QPushButton *m_review = nullptr;
};

} // namespace kinoloom
