#pragma once

#include <QWidget>

namespace kinoloom {

class ClampedLabel;

// The line under the preview: the name of the file shown ("Viewer" when none) and, while the
// selected clip's own file is shown, its size and length.
class PreviewInfoBar : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewInfoBar(QWidget *parent = nullptr);

    void setText(const QString &name, const QString &detail);
    QString name() const;
    QString detail() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ClampedLabel *m_name;
    ClampedLabel *m_detail;
};

} // namespace kinoloom
