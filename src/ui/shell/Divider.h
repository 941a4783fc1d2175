#pragma once

#include <QWidget>

namespace kinoloom {

// A horizontal hairline in the rule colour, across the width it is given.
class Divider : public QWidget
{
    Q_OBJECT

public:
    explicit Divider(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace kinoloom
