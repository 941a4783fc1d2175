#pragma once

#include "ui/inspector/InspectorSection.h"

#include <functional>
#include <memory>

namespace kinoloom {

class DesktopServices;
class HardwareEncoderCheck;

// The Export stage's section: size, frame rate and codec, the hook opening, the Short, the clip
// limit and software encoding, the cache clearing, the summary of what an export will make and
// the main film's output path, with what is still missing before the film can be exported.
class ExportInspector : public InspectorSection
{
    Q_OBJECT

public:
    ExportInspector(StudioModel *model, const HardwareEncoderCheck *hardware, std::shared_ptr<DesktopServices> desktop,
                    QWidget *parent = nullptr);

    static const QList<int> frameRates;

    // The value of the summary cell titled `title`.
    QString summaryValue(const QString &title) const;

private:
    void addChoices();
    void addSummary();
    QWidget *summaryCell(const QString &title, std::function<QString()> value);

    const HardwareEncoderCheck *m_hardware;
    std::shared_ptr<DesktopServices> m_desktop;
};

} // namespace kinoloom
