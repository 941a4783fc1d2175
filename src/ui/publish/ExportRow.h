#pragma once

#include "model/ExportRecord.h"

#include <QStringList>
#include <QWidget>

namespace kinoloom {

// One render in the export list: its symbol (a phone for a Short, film otherwise), kind, date,
// duration and, once it is on the platform, the cloud mark.
class ExportRow : public QWidget
{
    Q_OBJECT

public:
    // `kindWidth` is the width of the kind's column, the same in every row.
    ExportRow(const ExportRecord &record, int kindWidth, QWidget *parent = nullptr);

    // The kind's column: 70 wide, or as wide as the longest of `kinds` needs.
    // Selected, every text takes the highlighted text colour, so that it reads on the highlight.
    void setSelected(bool selected);

    static int kindColumnWidth(const QStringList &kinds);

    static QString symbolName(const ExportRecord &record);

    static constexpr int kindWidth = 70;

private:
    QWidget *m_created;
};

} // namespace kinoloom
