#pragma once

#include <QList>
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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_column;
};

} // namespace kinoloom
