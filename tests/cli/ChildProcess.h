#pragma once
// A program run with its standard input and standard error on pipes, so a
// test can answer its questions one by one.
#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
public:
    // withOutput: standard output goes into the same pipe as standard error
    // (otherwise to /dev/null).
    ChildProcess(const std::string& program, const std::vector<std::string>& args, bool withOutput = false);
    ~ChildProcess();

    // Reads standard error until it holds text (or the program ends); true when found.
    bool WaitFor(const std::string& text, int timeoutMs = 20000);
    void Send(const std::string& line);  // writes a line to standard input
    void CloseInput();
    void Signal(int signal);
    int Wait();  // exit status; also drains standard error
    const std::string& Err() const { return err_; }
    // Standard error from this point on only.
    void ForgetOutput() { err_.clear(); }

private:
    bool ReadSome(int timeoutMs);
    pid_t pid_ = -1;
    int in_ = -1, errFd_ = -1;
    std::string err_;
};

// Runs a program to its end with the given standard input; returns the exit status.
int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& input,
               std::string* err = nullptr);
