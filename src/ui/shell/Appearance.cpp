#include "ui/shell/Appearance.h"

#include "ui/shell/StudioPalette.h"

#include <QApplication>
#include <QSettings>

namespace kinoloom {

ColourScheme colourScheme(const QString &appearance)
{
    if (appearance == QLatin1String("system"))
        return ColourScheme::system;
    if (appearance == QLatin1String("dark"))
        return ColourScheme::dark;
    return ColourScheme::light;
}

Appearance::Appearance(std::shared_ptr<QSettings> defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(std::move(defaults))
    , m_platform(QApplication::palette())
{
}

QString Appearance::appearance() const
{
    return m_defaults->value(key(), QStringLiteral("system")).toString();
}

void Appearance::setAppearance(const QString &value)
{
    m_defaults->setValue(key(), value);
    m_defaults->sync();
    apply();
    Q_EMIT changed();
}

void Appearance::apply()
{
    QApplication::setPalette(palette(scheme()));
}

QPalette Appearance::palette(ColourScheme scheme) const
{
    switch (scheme) {
    case ColourScheme::system: return m_platform;
    case ColourScheme::dark: return StudioPalette::dark();
    case ColourScheme::light: break;
    }
    return StudioPalette::light();
}

} // namespace kinoloom
