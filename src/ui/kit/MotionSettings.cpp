#include "ui/kit/MotionSettings.h"

#include "platform/EnvironmentSwitch.h"

#include <QSettings>
#include <QStandardPaths>

#include <gio/gio.h>

namespace mv {

namespace {

constexpr const char* gnomeSchema = "org.gnome.desktop.interface";
constexpr const char* gnomeKey = "enable-animations";

// GNOME's settings object, or null where the schema is not installed (g_settings_new would abort there).
GSettings* openGnomeSettings()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, gnomeSchema, TRUE);
    if (!schema)
        return nullptr;
    const bool hasKey = g_settings_schema_has_key(schema, gnomeKey);
    g_settings_schema_unref(schema);
    return hasKey ? g_settings_new(gnomeSchema) : nullptr;
}

bool gnomeAnimationsOff()
{
    GSettings* settings = openGnomeSettings();
    if (!settings)
        return false;
    const bool enabled = g_settings_get_boolean(settings, gnomeKey);
    g_object_unref(settings);
    return !enabled;
}

bool kdeAnimationsOff()
{
    const QString path
        = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kdeglobals"));
    if (path.isEmpty())
        return false;
    const QSettings kde(path, QSettings::IniFormat);
    bool ok = false;
    const double factor = kde.value(QStringLiteral("KDE/AnimationDurationFactor")).toDouble(&ok);
    return ok && factor == 0;
}

} // namespace

// Keeps GNOME's settings open so a change of enable-animations reaches refresh().
struct MotionSettings::Gnome {
    GSettings* settings = nullptr;
    gulong handler = 0;
};

MotionSettings& MotionSettings::instance()
{
    static MotionSettings settings;
    return settings;
}

MotionSettings::MotionSettings()
    : m_reduceMotion(read())
{
    if (GSettings* settings = openGnomeSettings()) {
        m_gnome = new Gnome { settings, 0 };
        m_gnome->handler = g_signal_connect_swapped(settings, "changed::enable-animations",
            G_CALLBACK(+[](MotionSettings* self) { self->refresh(); }), this);
    }
}

MotionSettings::~MotionSettings()
{
    if (m_gnome) {
        g_signal_handler_disconnect(m_gnome->settings, m_gnome->handler);
        g_object_unref(m_gnome->settings);
        delete m_gnome;
    }
}

bool MotionSettings::read()
{
    return environmentSwitch("MARROWVALE_REDUCE_MOTION") || gnomeAnimationsOff() || kdeAnimationsOff();
}

void MotionSettings::refresh()
{
    const bool reduce = read();
    if (reduce == m_reduceMotion)
        return;
    m_reduceMotion = reduce;
    Q_EMIT reduceMotionChanged(reduce);
}

} // namespace mv
