#include "ToolRun.h"

#include <sys/wait.h>
#include <unistd.h>

ToolResult RunInFolder(const std::string& folder, const std::vector<std::string>& argv)
{
    ToolResult result;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int pipeFds[2];
    if (argv.empty() || ::pipe(pipeFds) != 0) return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::close(pipeFds[0]);
        // The tools' verdicts ("OK", "FAILED") in every locale the tests run under.
        ::setenv("LC_ALL", "C.UTF-8", 1);
        if (::chdir(folder.c_str()) == 0) ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}
