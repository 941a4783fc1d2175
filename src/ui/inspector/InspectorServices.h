#pragma once

#include "ui/inspector/HardwareEncoderCheck.h"

#include <memory>

namespace kinoloom {

class DesktopServices;

// What the inspector takes from the machine besides the session, so that tests replace it:
// the file manager, and the question whether the hardware encoders work.
struct InspectorServices
{
    std::shared_ptr<DesktopServices> desktop;
    HardwareEncoderCheck::Probe hardwareEncoderWorks;

    static InspectorServices live();
};

} // namespace kinoloom
