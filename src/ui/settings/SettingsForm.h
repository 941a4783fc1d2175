#pragma once

#include <QString>

class QFormLayout;
class QGroupBox;
class QHBoxLayout;
class QWidget;

namespace kinoloom {

// The form of a settings tab: labels beside their controls, padded by the spacious inset, rows
// from the top.
QFormLayout *settingsForm(QWidget *tab);

// A row of buttons, a little apart, from the leading edge.
QHBoxLayout *buttonRow();

// A titled section of a settings tab, added to `form` across its width, with a form of its own.
QFormLayout *settingsSection(QFormLayout *form, const QString &title, QWidget *tab);

} // namespace kinoloom
