#pragma once

#include <QPalette>

namespace kinoloom::StudioPalette {

// The two palettes of the application, made for the Fusion style. Besides the usual roles
// they set PlaceholderText to the secondary text colour (StudioStyle::secondaryTextRole) and
// keep Highlight, the accent, the same when disabled.
QPalette light();
QPalette dark();

} // namespace kinoloom::StudioPalette
