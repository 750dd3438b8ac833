// What both MPRIS interfaces of the player's one bus object send when their
// properties change.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

// org.freedesktop.DBus.Properties.PropertiesChanged of `interface` on
// /org/mpris/MediaPlayer2, with the new values in `changed`.
void SendPropertiesChanged(const QDBusConnection& connection, const QString& interface, const QVariantMap& changed);
