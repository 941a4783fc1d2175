#include "ui/media/SessionTile.h"

#include "model/ClipRole.h"
#include "ui/media/MediaTile.h"
#include "ui/media/NextTurn.h"
#include "ui/media/ReorderDrop.h"
#include "ui/shell/ObjectName.h"
#include "ui/shell/Symbol.h"

#include <QMenu>

namespace kinoloom {

namespace {

template <typename Call>
void addItem(QMenu *menu, const QString &title, StudioModel *model, Call call)
{
    QAction *action = menu->addAction(title);
    action->setObjectName(objectNameFor(title, QStringLiteral("Action")));
    QObject::connect(action, &QAction::triggered, menu, [model, call] { onNextTurn(model, call); });
}

} // namespace

QMenu *makeTileMenu(StudioModel *model, const QUuid &id, const QString &path, const RevealFile &reveal, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("tileMenu"));
    addItem(menu, QStringLiteral("Preview"), model, [id](StudioModel &session) {
        session.selectAsset(id);
        session.setWorkspace(Workspace::edit);
    });
    for (const ClipRole role : allClipRoles()) {
        addItem(menu, QStringLiteral("Use as ") + displayName(role), model, [id, role](StudioModel &session) {
            session.selectAsset(id);
            session.setRole(role);
        });
    }
    QAction *revealAction = menu->addAction(QStringLiteral("Reveal in file manager"));
    revealAction->setObjectName(QStringLiteral("revealInFileManagerAction"));
    QObject::connect(revealAction, &QAction::triggered, menu, [reveal, path] {
        if (reveal)
            reveal(path);
    });
    menu->addSeparator();
    addItem(menu, QStringLiteral("Remove from project"), model, [id](StudioModel &session) {
        session.selectAsset(id);
        session.removeSelection();
    });
    menu->actions().last()->setIcon(symbolIcon(QStringLiteral("trash")));
    return menu;
}

MediaTile *makeSessionTile(StudioModel *model, const MediaAsset &asset, const RevealFile &reveal)
{
    auto *tile = new MediaTile(asset);
    QObject::connect(tile, &MediaTile::clicked, model, [model, tile] { model->selectAsset(tile->asset().id); });
    tile->setTextDrop([model, tile](const QString &text) { return reorderDrop(model, text, tile->asset().id); });
    tile->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(tile, &QWidget::customContextMenuRequested, tile, [model, tile, reveal](const QPoint &at) {
        QMenu *menu = makeTileMenu(model, tile->asset().id, tile->asset().path, reveal, tile);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(tile->mapToGlobal(at));
    });
    return tile;
}

} // namespace kinoloom
