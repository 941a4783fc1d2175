#pragma once

#include <QWidget>

namespace kinoloom {

// The centred empty state of a workspace: a large light symbol, a title and a detail sentence
// of at most 340 wide, taking all the space it is offered.
class EmptyWorkspace : public QWidget
{
    Q_OBJECT

public:
    EmptyWorkspace(const QString &symbol, const QString &title, const QString &detail, QWidget *parent = nullptr);

    static constexpr int symbolSize = 36;
    static constexpr int detailWidth = 340;
};

} // namespace kinoloom
