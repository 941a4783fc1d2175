#include "ui/shell/AutomaticSave.h"

#include "session/StudioModel.h"

#include <QGuiApplication>

namespace kinoloom {

AutomaticSave::AutomaticSave(StudioModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    // Qt reports changes only, so the state the application starts in saves nothing.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &AutomaticSave::applicationStateChanged);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AutomaticSave::aboutToQuit);
}

void AutomaticSave::applicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive)
        saveOpenProject();
}

void AutomaticSave::aboutToQuit()
{
    saveOpenProject();
}

void AutomaticSave::saveOpenProject()
{
    if (m_model && m_model->root())
        m_model->save();
}

} // namespace kinoloom
