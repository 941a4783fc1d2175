#pragma once

#include <QPointer>
#include <QWidget>

namespace kinoloom {

// A place in the window frame that holds one pane. It starts with an empty placeholder named
// "<name>Placeholder"; setContent puts the real pane in its place (the old one is deleted).
class PaneSlot : public QWidget
{
    Q_OBJECT

public:
    explicit PaneSlot(const QString &name, QWidget *parent = nullptr);

    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

private:
    QPointer<QWidget> m_content;
};

} // namespace kinoloom
