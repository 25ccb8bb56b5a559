#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace loxtest {

struct CapturedRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;  // standard output
    std::string err;  // standard error, where the run kept it apart
};

// A program run by a test with pipes on its standard input and output. The environment is the
// test's own with `env` applied: a value sets the variable, std::nullopt removes it.
// A child still running when the object dies is killed and reaped.
class ChildProcess {
public:
    using Environment = std::map<std::string, std::optional<std::string>>;

    ChildProcess(const std::string &program, const std::vector<std::string> &args,
                 const Environment &env);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Writes text to the child's standard input.
    void Write(const std::string &text);
    // Closes the child's standard input, so that it reads end of file.
    void CloseInput();
    // Closes the reading end of the child's output, so that its writes find no reader.
    void CloseOutput();
    // One line of the child's output without its line feed; empty at end of output or when
    // nothing arrives within a minute (a hang guard, not a timing check).
    std::string ReadLine();
    // SIGKILL.
    void Kill();
    // Waits for the end of the child; the exit status, or 128 + signal number.
    int Wait();

private:
    pid_t pid_ = -1;
    int input_fd_ = -1;
    int output_fd_ = -1;
    std::string buffered_;
};

// The words that run a command as the user nobody; empty unless this is root and nobody exists.
std::vector<std::string> AsNobody();
// A single-quoted shell word.
std::string ShellQuote(const std::string &text);
// Runs a shell command line; its exit status.
int RunShell(const std::string &command);
// Runs a shell command line with standard output kept; standard error passes through.
CapturedRun RunCapturing(const std::string &command);

}  // namespace loxtest
