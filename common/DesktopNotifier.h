#pragma once
// The desktop's notification service: a short message shown beside whatever
// window the user is working in.
#include <string>

class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // Shows summary and body with the icon of that name (from the icon
    // theme). Never waits for the service; where none runs, nothing happens.
    virtual void Notify(const std::string& summary, const std::string& body, const std::string& iconName) = 0;
};
