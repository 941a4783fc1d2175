#pragma once

#include <QWidget>

namespace kinoloom {

class ClampedLabel;
class SymbolView;

// A line of text led by a symbol, in one of the inspector's tones: secondary for notes, the
// warning orange for what needs the user, or secondary on a light accent box for a hint.
class SymbolLabel : public QWidget
{
    Q_OBJECT

public:
    enum class Tone { secondary, warning, hint, primary };

    SymbolLabel(const QString &text, const QString &symbol, const QFont &font, Tone tone, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    QString symbol() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyTone();

    Tone m_tone;
    SymbolView *m_symbol;
    ClampedLabel *m_text;
};

} // namespace kinoloom
