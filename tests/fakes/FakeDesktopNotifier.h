#pragma once
// Desktop notifications for tests: recorded, never shown.
#include <string>
#include <vector>

#include "DesktopNotifier.h"

class FakeDesktopNotifier : public DesktopNotifier {
public:
    struct Notification {
        std::string summary, body, iconName;
    };
    void Notify(const std::string& summary, const std::string& body, const std::string& iconName) override
    {
        shown.push_back({summary, body, iconName});
    }
    std::vector<Notification> shown;
};
