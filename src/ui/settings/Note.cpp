#include "ui/settings/Note.h"

#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"

#include <QFontMetrics>

namespace kinoloom {

ClampedLabel *makeNote(const QString &text, const QFont &font, QWidget *parent)
{
    auto *note = new ClampedLabel(text, parent);
    note->setFont(font);
    note->setForegroundRole(StudioStyle::secondaryTextRole);
    // Its height follows the width it is given. The minimum it would claim, measured at a few
    // letters' width, would otherwise make the window taller than its fixed size.
    note->setMinimumHeight(QFontMetrics(font).lineSpacing());
    return note;
}

} // namespace kinoloom
