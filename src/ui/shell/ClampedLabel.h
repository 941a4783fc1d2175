#pragma once

#include <QWidget>

namespace kinoloom {

// A text of at most `maxLines` lines (0: as many as it needs). It wraps at word boundaries;
// what does not fit in the last allowed line is elided at its end. A one-line label does not
// wrap and is elided as `elideMode` says, so it can shrink to almost nothing in a row.
//
// The colour is the widget's foreground role, resolved when it paints, so setting
// StudioStyle::secondaryTextRole gives secondary text that follows appearance and disabled
// state.
class ClampedLabel : public QWidget
{
    Q_OBJECT

public:
    explicit ClampedLabel(const QString &text = {}, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    void setMaxLines(int lines);
    void setElideMode(Qt::TextElideMode mode);
    void setAlignment(Qt::Alignment alignment);
    // Widest a line may be: a wrapping text asks for no more than this.
    void setPreferredLineWidth(int width);

    // The lines as painted at `width`, the last one elided when text was left over.
    QStringList lines(int width) const;

    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int naturalWidth() const;

    QString m_text;
    int m_maxLines = 0;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_preferredLineWidth = 420;
};

} // namespace kinoloom
