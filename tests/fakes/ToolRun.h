#pragma once
// Runs a program of the system (sha256sum, par2 …) in a folder, the way a user
// would from a terminal, and keeps what it printed.
#include <string>
#include <vector>

struct ToolResult {
    int status = -1;     // exit status; -1 when it could not run
    std::string output;  // standard output and standard error
};

ToolResult RunInFolder(const std::string& folder, const std::vector<std::string>& argv);
