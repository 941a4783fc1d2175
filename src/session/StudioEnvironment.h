#pragma once

#include "services/HTTPTransport.h"
#include "services/LoopbackLogin.h"
#include "services/ServiceEndpoints.h"
#include "session/FilePanels.h"
#include "session/MediaEngine.h"
#include "session/RenderPipeline.h"
#include "session/SecretStore.h"

#include <QDateTime>
#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace kinoloom {

class ProcessRunner;

// Everything the studio session takes from the machine, in one place, so that a test gives it
// temporary folders, its own user defaults, fake panels and fake engines, and never touches the
// user's home. `live()` is the real machine.
struct StudioEnvironment
{
    // User defaults: "RecentProjects", "LastProjectPath", "ToolPaths".
    std::shared_ptr<QSettings> userDefaults;
    // The folder of "SoftwareSettings.json"; none: the application data folder (or, when the
    // system names none, a "Kinoloom" folder in the temporary directory).
    std::optional<QString> softwareSettingsDirectory;
    // The application data folder, where "Workflows.json" always lives; throws StudioError when
    // the system names none.
    std::function<QString()> applicationDataDirectory;
    std::function<QDateTime()> now;

    // Each job gets a fresh runner and a fresh transport: a cancelled one stays cancelled.
    std::function<std::shared_ptr<ProcessRunner>()> makeRunner;
    std::function<std::shared_ptr<HTTPTransport>()> makeTransport;
    MediaEngineFactory makeMediaEngine;
    PipelineFactory makePipeline;
    // The VA-API device on which H.264 encoding works, for playback proxies; none without one.
    // Its first call may block for seconds (a test encode): never called on the main thread.
    std::function<std::optional<QString>()> hardwareH264Device;

    std::shared_ptr<FilePanels> panels;
    std::shared_ptr<SecretStore> vault;
    ServiceEndpoints endpoints;
    BrowserOpener openBrowser;

    // The user's own defaults (organisation and application "Kinoloom"), the data folder under
    // ~/.local/share, file dialogs, the keyring, the network and the real engine. A runner's
    // children get the process environment as it is when the runner is made (TMPDIR included).
    static StudioEnvironment live();
};

} // namespace kinoloom
