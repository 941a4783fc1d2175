#pragma once

#include <QAbstractButton>
#include <QPalette>

namespace kinoloom {

// A borderless button that is only a symbol, drawn in a palette role (secondary text by
// default) at the size of text of `pixelSize`. Its tooltip and accessible name say what it
// does; pressing it dims the symbol.
class SymbolButton : public QAbstractButton
{
    Q_OBJECT

public:
    SymbolButton(const QString &symbol, qreal pixelSize, const QString &label, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    // For a button whose action flips (play and pause): the symbol with its tooltip and name.
    void setSymbol(const QString &symbol, const QString &label);
    void setColourRole(QPalette::ColorRole role);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    int m_extent;
    QPalette::ColorRole m_role;
};

} // namespace kinoloom
