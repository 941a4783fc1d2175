#include "session/StudioEnvironment.h"

#include "engine/pipeline/HardwareEncoder.h"
#include "engine/process/ProcessRunner.h"
#include "model/WorkflowStore.h"
#include "services/LiveHTTP.h"
#include "session/LiveFilePanels.h"
#include "session/LiveMediaEngine.h"
#include "session/LivePipeline.h"
#include "session/LiveVault.h"

#include <QProcessEnvironment>

namespace kinoloom {

StudioEnvironment StudioEnvironment::live()
{
    StudioEnvironment environment;
    environment.userDefaults = std::make_shared<QSettings>(QStringLiteral("Kinoloom"), QStringLiteral("Kinoloom"));
    environment.applicationDataDirectory = [] { return WorkflowStore::applicationSupportDirectory(); };
    environment.now = [] { return QDateTime::currentDateTimeUtc(); };
    environment.makeRunner = [] {
        return std::make_shared<ProcessRunner>(QProcessEnvironment::systemEnvironment().toStringList());
    };
    environment.makeTransport = [] { return std::make_shared<LiveHTTP>(); };
    environment.makeMediaEngine = LiveMediaEngine::factory();
    environment.makePipeline = LivePipeline::factory();
    environment.hardwareH264Device = []() -> std::optional<QString> {
        if (!hardwareEncoder::available(QStringLiteral("h264_vaapi")))
            return std::nullopt;
        return hardwareEncoder::renderNode();
    };
    environment.panels = std::make_shared<LiveFilePanels>();
    environment.vault = std::make_shared<LiveVault>();
    environment.openBrowser = LoopbackLogin::systemBrowser();
    return environment;
}

} // namespace kinoloom
