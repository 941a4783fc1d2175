#pragma once

#include <QPushButton>

namespace kinoloom {

// The platform's bordered prominent push button: filled with the accent, its text and icon in
// the highlighted text colour, taken from the palette each time it paints. Its size is a push
// button's.
class ProminentButton : public QPushButton
{
    Q_OBJECT

public:
    explicit ProminentButton(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace kinoloom
