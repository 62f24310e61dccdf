#pragma once
// A program run as a child process: started with posix_spawn, standard input from
// /dev/null, its output to files (or /dev/null), killed and reaped when the object goes.
// Every child starts with SIGINT, SIGTERM, SIGPIPE, SIGHUP and SIGQUIT at their default and no
// signal blocked, whatever the runner inherited (a background job starts with SIGINT ignored).
#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace KilnTest
{
    class ChildProcess
    {
    public:
        struct Options
        {
            std::filesystem::path myProgram;
            std::vector<std::string> myArguments;
            // Empty: the caller's working directory.
            std::filesystem::path myWorkingDirectory;
            // Empty: /dev/null.
            std::filesystem::path myStdout;
            std::filesystem::path myStderr;
            // Added to (or replacing in) the caller's environment.
            std::vector<std::pair<std::string, std::string>> myEnvironment;
            // Blocked in the child from its start (default: none).
            std::vector<int> myBlockedSignals;
        };

        ChildProcess() = default;
        ~ChildProcess();
        ChildProcess(const ChildProcess&) = delete;
        ChildProcess& operator=(const ChildProcess&) = delete;

        // False when the program could not be started (a child still running is killed first).
        bool Start(const Options& someOptions);

        pid_t GetPid() const { return myPid; }
        // When Start returned, on the steady clock.
        std::chrono::steady_clock::time_point GetStartTime() const { return myStartTime; }

        // Reaps the child when it has ended; false from then on.
        bool IsRunning();
        // The wait status, or -1 when the child is still running after aLimit.
        int WaitForExit(std::chrono::milliseconds aLimit);
        // The wait status once the child has been reaped, else -1.
        int GetExitStatus() const { return myStatus; }
        bool Signal(int aSignal) const;
        // SIGKILL and reap; nothing when not running.
        void Kill();

    private:
        pid_t myPid = -1;
        int myStatus = -1;
        std::chrono::steady_clock::time_point myStartTime{};
    };

    struct CommandResult
    {
        // The wait status, -1 when the command did not start or did not end within the limit.
        int myStatus = -1;
        std::string myOutput;

        bool Succeeded() const;
    };

    // Runs someArguments[0] (searched on PATH when it has no '/') to its end, with its
    // standard output collected; it is killed after aLimit.
    CommandResult RunCommand(const std::vector<std::string>& someArguments, std::chrono::milliseconds aLimit);
}
