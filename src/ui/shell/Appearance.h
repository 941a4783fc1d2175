#pragma once

#include <QObject>
#include <QPalette>
#include <QString>

#include <memory>

class QSettings;

namespace kinoloom {

// The colour scheme named by the user default "appearance": "system" follows the platform,
// "dark" is ours, and every other text, "Dark" included, is our light one.
enum class ColourScheme { system, light, dark };

ColourScheme colourScheme(const QString &appearance);

// The user's appearance choice, applied to the whole application. The platform palette is the
// one the application has when this object is made (after the style is set), so "system" can
// return to it after a switch.
class Appearance : public QObject
{
    Q_OBJECT

public:
    explicit Appearance(std::shared_ptr<QSettings> defaults, QObject *parent = nullptr);

    // The stored text, "system" when none is stored.
    QString appearance() const;
    ColourScheme scheme() const { return colourScheme(appearance()); }
    // Stores the choice and restyles every window at once.
    void setAppearance(const QString &value);
    // Sets the application palette from the stored choice.
    void apply();

    const QPalette &platformPalette() const { return m_platform; }
    QPalette palette(ColourScheme scheme) const;

    static QString key() { return QStringLiteral("appearance"); }

Q_SIGNALS:
    void changed();

private:
    std::shared_ptr<QSettings> m_defaults;
    QPalette m_platform;
};

} // namespace kinoloom
