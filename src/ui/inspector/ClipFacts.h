#pragma once

#include "model/MediaAsset.h"

#include <QLocale>
#include <QString>
#include <QWidget>

class QLabel;

namespace kinoloom {

// The technical facts of a clip as the inspector shows them, label and value per row:
// dimensions, duration ("Still image" for a still), frame rate with two decimals in the
// user's number format, and whether the clip has sound.
struct ClipFact
{
    QString label;
    QString value;
};

QList<ClipFact> clipFacts(const MediaAsset &asset, const QLocale &locale = QLocale());

// The facts as a two-column grid in secondary caption type.
class ClipFactsGrid : public QWidget
{
    Q_OBJECT

public:
    ClipFactsGrid(int horizontalSpacing, int verticalSpacing, QWidget *parent = nullptr);

    void setAsset(const MediaAsset &asset);
    // The value shown beside `label`; empty when there is no such row.
    QString value(const QString &label) const;

private:
    QList<QLabel *> m_labels;
    QList<QLabel *> m_values;
};

} // namespace kinoloom
