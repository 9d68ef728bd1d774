#include "DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Whether the session has a bus to connect to. Without one, connecting would
// let the D-Bus library start a bus of its own (X11 autolaunch): no service
// would be on it anyway.
bool SessionBusAround()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

}  // namespace

void DBusNotifier::Notify(const std::string& summary, const std::string& body, const std::string& iconName)
{
    if (!SessionBusAround()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // The body may hold markup: a file name is shown as it is, never as markup.
    call << Q(summary) << 0u << Q(iconName) << Q(summary) << Q(body).toHtmlEscaped() << QStringList() << QVariantMap()
         << -1;
    // Sent without waiting for the reply: with no service on the bus the
    // reply is an error that nobody needs.
    bus.send(call);
}
