#include "ui/inspector/InspectorCard.h"

#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"

namespace kinoloom {

StudioPanel *inspectorCard(const QString &title, const QString &symbol, QWidget *parent)
{
    auto *card = new StudioPanel({}, parent);
    card->setInsets({StudioStyle::regular, StudioStyle::compact, StudioStyle::regular, StudioStyle::compact},
                    StudioStyle::small);
    card->setFill(&StudioStyle::canvas);
    card->addWidget(new SectionHeading(title, {}, symbol, card));
    return card;
}

} // namespace kinoloom
