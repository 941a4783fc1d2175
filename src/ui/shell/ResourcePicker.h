#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

namespace kinoloom {

class ClampedLabel;
class SymbolButton;

// A titled file row: the chosen file's name (the whole path as its tooltip, shortened in the
// middle), "Choose…", and a clear button while a path is set. It never changes the path
// itself: the placing view calls setPath after its callback has changed what it keeps.
class ResourcePicker : public QWidget
{
    Q_OBJECT

public:
    using Action = std::function<void()>;

    ResourcePicker(const QString &title, const QString &path, Action choose, Action clear, QWidget *parent = nullptr);

    void setPath(const QString &path);
    QString path() const { return m_path; }

    // "None selected" for an empty path, else its last component (trailing separators aside).
    static QString displayName(const QString &path);
    QString shownName() const;

    QPushButton *chooseButton() const { return m_choose; }
    // Shown only while a path is set.
    SymbolButton *clearButton() const { return m_clear; }

private:
    QString m_path;
    ClampedLabel *m_name;
    QPushButton *m_choose;
    SymbolButton *m_clear;
};

} // namespace kinoloom
