#pragma once

#include <QPointer>
#include <QWidget>

class QDialog;
class QLabel;
class QPushButton;

namespace kinoloom {

class CoalescedRefresh;
class StudioModel;

// The sheet between the Publish form and the upload: the reviewed snapshot (channel, file,
// title, visibility, audience, thumbnail, description) that confirming sends. No button is a
// default one, so Return never starts an upload; Escape is Cancel.
class UploadReview : public QWidget
{
    Q_OBJECT

public:
    UploadReview(StudioModel *model, QDialog *sheet, QWidget *parent = nullptr);

    // The value shown beside `label` ("Channel", "Video", ...).
    QString value(const QString &label) const;
    QWidget *details() const { return m_details; }
    QLabel *description() const { return m_description; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *confirmButton() const { return m_confirm; }

    void refresh();

    // Each word with its first letter upper case and the rest lower case.
    static QString capitalisedWords(const QString &text);

    static constexpr int sheetWidth = 540;
    static constexpr int descriptionHeight = 120;

private:
    void update();

    QPointer<StudioModel> m_model;
    QWidget *m_details;
    QList<std::pair<QString, QLabel *>> m_values;
    QLabel *m_description;
    QPushButton *m_cancel;
    QPushButton *m_confirm;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom
