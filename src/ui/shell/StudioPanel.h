#pragma once

#include <QColor>
#include <QList>
#include <QMargins>
#include <QPalette>
#include <QWidget>

class QLayout;
class QVBoxLayout;

namespace kinoloom {

// A framed container: its content in a column 12 apart, inset 16, on the panel colour with a
// rounded outline in the rule colour. It takes the full width it is offered.
class StudioPanel : public QWidget
{
    Q_OBJECT

public:
    explicit StudioPanel(const QList<QWidget *> &content = {}, QWidget *parent = nullptr);

    // For content built after the panel (rows with layouts of their own).
    void addWidget(QWidget *widget);
    void addLayout(QLayout *layout);

    // A panel inside another surface: its own insets and spacing, and the colour it fills with
    // (the panel colour by default).
    void setInsets(const QMargins &insets, int spacing);
    void setFill(QColor (*fill)(const QPalette &palette));

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_column;
    QColor (*m_fill)(const QPalette &palette);
};

} // namespace kinoloom
