#include "ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args, bool withOutput)
{
    int inPipe[2], errPipe[2];
    if (::pipe(inPipe) != 0 || ::pipe(errPipe) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        ::dup2(inPipe[0], 0);
        ::dup2(errPipe[1], 2);
        ::dup2(withOutput ? errPipe[1] : ::open("/dev/null", O_WRONLY), 1);
        ::close(inPipe[1]);
        ::close(errPipe[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(inPipe[0]);
    ::close(errPipe[1]);
    in_ = inPipe[1];
    errFd_ = errPipe[0];
    ::signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}

bool ChildProcess::ReadSome(int timeoutMs)
{
    if (errFd_ < 0) return false;
    pollfd p{errFd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char buf[4096];
    const ssize_t n = ::read(errFd_, buf, sizeof buf);
    if (n <= 0) {
        ::close(errFd_);
        errFd_ = -1;
        return false;
    }
    err_.append(buf, static_cast<size_t>(n));
    return true;
}

bool ChildProcess::WaitFor(const std::string& text, int timeoutMs)
{
    while (err_.find(text) == std::string::npos)
        if (!ReadSome(timeoutMs)) return err_.find(text) != std::string::npos;
    return true;
}

void ChildProcess::Send(const std::string& line)
{
    const std::string data = line + "\n";
    (void)!::write(in_, data.data(), data.size());
}

void ChildProcess::CloseInput()
{
    if (in_ >= 0) ::close(in_);
    in_ = -1;
}

void ChildProcess::Signal(int signal) { ::kill(pid_, signal); }

int ChildProcess::Wait()
{
    CloseInput();
    while (ReadSome(20000)) {}
    if (pid_ <= 0) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& input,
               std::string* err)
{
    ChildProcess child(program, args);
    for (size_t pos = 0; pos < input.size();) {
        const size_t nl = input.find('\n', pos);
        const size_t end = nl == std::string::npos ? input.size() : nl;
        child.Send(input.substr(pos, end - pos));
        pos = end + 1;
    }
    const int status = child.Wait();
    if (err) *err = child.Err();
    return status;
}
