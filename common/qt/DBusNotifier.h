#pragma once
// Desktop notifications through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus), which Linux desktops
// provide.
#include "DesktopNotifier.h"

class DBusNotifier : public DesktopNotifier {
public:
    void Notify(const std::string& summary, const std::string& body, const std::string& iconName) override;
};
