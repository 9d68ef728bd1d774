#pragma once
// Opens a folder in the desktop's file manager.
#include <string>

class Shell {
public:
    virtual ~Shell() = default;
    // Starts the file manager on the folder and returns at once; a failure is
    // not reported.
    virtual void OpenFolder(const std::string& folder) = 0;
};

Shell& SystemShell();
