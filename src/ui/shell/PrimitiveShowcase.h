#pragma once

#include <QWidget>

namespace kinoloom {

class ValueSlider;

// The "Components" window: the shared components and a few platform controls with fixed sample
// content. Nothing in it acts on anything; its one state is the sample slider's value.
class PrimitiveShowcase : public QWidget
{
    Q_OBJECT

public:
    explicit PrimitiveShowcase(QWidget *parent = nullptr);

    double value() const { return m_value; }
    ValueSlider *slider() const { return m_slider; }

private:
    double m_value = 1.0;
    ValueSlider *m_slider = nullptr;
};

} // namespace kinoloom
