#pragma once

#include "session/FilePanels.h"

#include <QPointer>
#include <QWidget>

namespace kinoloom {

// The desktop's file dialogs: a modal QFileDialog per call, the prompt on its accept button and
// the message as its title, over `parent` when one is given.
class LiveFilePanels final : public FilePanels
{
public:
    explicit LiveFilePanels(QWidget *parent = nullptr);

    QStringList open(const OpenPanel &panel) override;
    std::optional<QString> save(const SavePanel &panel) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace kinoloom
