#pragma once

#include "ui/shell/StudioStyle.h"

#include <QAbstractButton>

#include <functional>

namespace kinoloom {

// The workspace header's button: a symbol above a one-line title, at least 64 wide. Prominent
// buttons are filled with the accent (at 45 % opacity while disabled) and drawn in white;
// others have no background. It is disabled only by its surroundings (setEnabled on it or on a
// container); `action` runs once per click or keyboard activation while it is enabled.
class ToolbarActionButton : public QAbstractButton
{
    Q_OBJECT

public:
    using Action = std::function<void()>;

    ToolbarActionButton(const QString &title, const QString &symbol, Action action, QWidget *parent = nullptr);
    ToolbarActionButton(const QString &title, const QString &symbol, int iconSize, bool prominent, Action action,
                        QWidget *parent = nullptr);

    bool isProminent() const { return m_prominent; }

    static constexpr int minimumWidth = 64;
    static constexpr int symbolBoxHeight = 32;
    static constexpr qreal disabledFillOpacity = 0.45;

    // The colours it paints with now: background (transparent when none) and content.
    QColor fillColour() const;
    QColor contentColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont titleFont() const;

    QString m_symbol;
    int m_iconSize;
    bool m_prominent;
};

} // namespace kinoloom
