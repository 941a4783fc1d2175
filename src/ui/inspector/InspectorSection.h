#pragma once

#include "ui/shell/Binding.h"
#include "ui/shell/ValueSlider.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace kinoloom {

class ResourcePicker;
class StudioModel;

// One stage's section of the inspector. It keeps no value of its own: every control it makes
// reads the session through a binding when the section refreshes, and writes through it only on
// the user's own gesture (a click, an activation, an edit, a slider move), reading back at once
// so that a change the session refused snaps back.
class InspectorSection : public QWidget
{
    Q_OBJECT

public:
    InspectorSection(StudioModel *model, int spacing, QWidget *parent = nullptr);

    // Reads every control's value, presence and enabled state from the session again.
    void refresh();

protected:
    StudioModel *model() const { return m_model; }
    QVBoxLayout *column() const { return m_column; }
    // Runs on every refresh, after the ones registered before it.
    void follow(std::function<void()> refresher);

    // Controls bound to the session. Each gets an object name made from its title.
    QCheckBox *toggle(const QString &title, Binding<bool> value, const QString &toolTip = {});
    ValueSlider *slider(const QString &title, Binding<double> value, ClosedRange range);
    QLineEdit *textField(const QString &placeholder, Binding<QString> value);
    // A pop-up over `options`; the binding holds the chosen index.
    QComboBox *picker(const QString &title, const QStringList &options, Binding<int> index);
    // A file row: `choose` asks for a file; the clear button writes "" through `path`.
    ResourcePicker *fileRow(const QString &title, Binding<QString> path, std::function<void()> choose);
    // A text in the caption font, secondary unless told otherwise; wraps.
    QLabel *caption(const QString &text, bool secondary = true);

    // The present state of a widget follows `shown` at each refresh.
    void showWhile(QWidget *widget, std::function<bool()> shown);

private:
    StudioModel *m_model;
    QVBoxLayout *m_column;
    QList<std::function<void()>> m_refreshers;
};

} // namespace kinoloom
