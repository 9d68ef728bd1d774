#include "Sha256SumCheck.h"

#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

#include "Sha256.h"

Sha256SumResult RunSha256SumCheck(const std::string& folder, const std::string& manifestName)
{
    Sha256SumResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::close(pipeFds[0]);
        if (::chdir(folder.c_str()) == 0)
            ::execlp("sha256sum", "sha256sum", "-c", "--", manifestName.c_str(), static_cast<char*>(nullptr));
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

std::string Sha256Hex(const std::string& bytes)
{
    Sha256 hash;
    hash.Update(bytes);
    Sha256Digest digest;
    if (!hash.Finish(digest)) throw std::runtime_error("SHA-256 failed");
    return HexOf(digest);
}
