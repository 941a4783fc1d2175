#pragma once

#include "ui/shell/Binding.h"

#include <QLocale>
#include <QWidget>

class QSlider;

namespace kinoloom {

class ClampedLabel;

struct ClosedRange
{
    double lower = 0;
    double upper = 1;
};

// A titled slider with its value shown beside the title, two fraction digits in the current
// locale's number format ("1.00", "1,00"). Each move of the slider is written through the
// binding at once, while the user drags; the shown number is whatever the binding then holds.
// The slider has no visible steps: it moves in hundredths of a unit.
class ValueSlider : public QWidget
{
    Q_OBJECT

public:
    ValueSlider(const QString &title, Binding<double> value, ClosedRange range, QWidget *parent = nullptr);

    // Reads the bound value again, for a placing view whose value changed elsewhere.
    void refresh();

    QString shownValue() const;
    QSlider *slider() const { return m_slider; }

    static QString formatted(double value, const QLocale &locale = QLocale());

private:
    double valueAt(int position) const;
    int positionOf(double value) const;

    Binding<double> m_value;
    ClosedRange m_range;
    int m_steps;
    QSlider *m_slider;
    ClampedLabel *m_shown;
    bool m_refreshing = false;
};

} // namespace kinoloom
