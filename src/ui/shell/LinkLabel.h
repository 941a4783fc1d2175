#pragma once

#include "ui/shell/ClampedLabel.h"

namespace kinoloom {

// A link-style button: its text in the link colour, wrapping (two lines by default) where a
// narrow column has no room for it on one line, as a push button could not. A click, Space or
// Return emits clicked.
class LinkLabel : public ClampedLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace kinoloom
