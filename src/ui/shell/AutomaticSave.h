#pragma once

#include <QObject>
#include <QPointer>

namespace kinoloom {

class StudioModel;

// Saves the open project when the application stops being the active one (another program
// or a system dialog takes the focus) and when it is about to quit. With no project open it
// does nothing: there is nothing to save, and a "Open a project before saving." alert at every
// switch to the browser would only be noise.
class AutomaticSave : public QObject
{
    Q_OBJECT

public:
    // Follows the application's state and its quitting.
    AutomaticSave(StudioModel *model, QObject *parent = nullptr);

    void applicationStateChanged(Qt::ApplicationState state);
    void aboutToQuit();

private:
    void saveOpenProject();

    QPointer<StudioModel> m_model;
};

} // namespace kinoloom
