#pragma once

#include <QWidget>

namespace kinoloom {

class ClampedLabel;

// A heading: an optional symbol tile (the symbol in the accent on a light accent square), then
// the title in the section font and, below it, an optional subtitle in secondary body text
// that wraps to as many lines as it needs. An empty subtitle or symbol counts as none.
class SectionHeading : public QWidget
{
    Q_OBJECT

public:
    explicit SectionHeading(const QString &title, const QString &subtitle = {}, const QString &symbol = {},
                            QWidget *parent = nullptr);

    static constexpr int tileSide = 28;
    static constexpr int tileRadius = 7;
    static constexpr qreal tileOpacity = 0.12;

private:
    ClampedLabel *m_title;
    ClampedLabel *m_subtitle = nullptr;
};

} // namespace kinoloom
