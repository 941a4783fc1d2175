#pragma once

#include <QWidget>

namespace kinoloom {

class ClampedLabel;
class SymbolView;

// A short status line: a symbol, then the text in secondary caption type, at most two lines.
class StatusLabel : public QWidget
{
    Q_OBJECT

public:
    explicit StatusLabel(const QString &text, const QString &symbol = QStringLiteral("checkmark.circle"),
                         QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    QString symbol() const;

private:
    SymbolView *m_symbol;
    ClampedLabel *m_text;
};

} // namespace kinoloom
