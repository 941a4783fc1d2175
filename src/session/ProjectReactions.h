#pragma once

#include "model/StudioProject.h"

#include <QObject>
#include <QPointer>

namespace kinoloom {

class StudioModel;

// What the main window does when the open project changes, as an object of its own so that it
// runs without a window: every change of the project is saved; a change of its processing or
// publish settings also rewrites the selected workflow and the software settings, and a change
// of the processing settings while no job is busy forgets the last job's steps.
//
// Changes are compared by value against what the watcher saw last, at most once per event-loop
// turn however many assignments the turn made, and never for the project it found when attached.
class ProjectReactions : public QObject
{
    Q_OBJECT

public:
    explicit ProjectReactions(StudioModel *model, QObject *parent = nullptr);

private:
    void schedule();
    void react();

    QPointer<StudioModel> m_model;
    StudioProject m_seen;
    bool m_scheduled = false;
};

} // namespace kinoloom
