#include "Support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <map>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace KilnTest
{
    namespace
    {
        // The caller's environment with someChanges applied, as "NAME=value" texts.
        std::vector<std::string> MergedEnvironment(const std::vector<std::pair<std::string, std::string>>& someChanges)
        {
            std::map<std::string, std::string> variables;
            for (char** entry = environ; entry && *entry; ++entry)
            {
                const std::string text = *entry;
                const size_t equals = text.find('=');
                if (equals != std::string::npos)
                    variables[text.substr(0, equals)] = text.substr(equals + 1);
            }
            for (const auto& [name, value] : someChanges)
                variables[name] = value;
            std::vector<std::string> result;
            for (const auto& [name, value] : variables)
                result.push_back(name + "=" + value);
            return result;
        }

        // Spawn attributes that reset the signals a child relies on and set its mask, so a
        // child never inherits the runner's ignored or blocked signals.
        class CleanSignals
        {
        public:
            explicit CleanSignals(const std::vector<int>& someBlocked = {})
            {
                posix_spawnattr_init(&myAttributes);
                sigset_t defaults, mask;
                sigemptyset(&defaults);
                sigemptyset(&mask);
                for (const int signal : {SIGINT, SIGTERM, SIGPIPE, SIGHUP, SIGQUIT})
                    sigaddset(&defaults, signal);
                for (const int signal : someBlocked)
                    sigaddset(&mask, signal);
                posix_spawnattr_setsigdefault(&myAttributes, &defaults);
                posix_spawnattr_setsigmask(&myAttributes, &mask);
                posix_spawnattr_setflags(&myAttributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
            }
            ~CleanSignals() { posix_spawnattr_destroy(&myAttributes); }

            const posix_spawnattr_t* Get() const { return &myAttributes; }

        private:
            posix_spawnattr_t myAttributes;
        };

        std::vector<char*> Pointers(std::vector<std::string>& someTexts)
        {
            std::vector<char*> pointers;
            for (std::string& text : someTexts)
                pointers.push_back(text.data());
            pointers.push_back(nullptr);
            return pointers;
        }
    }

    ChildProcess::~ChildProcess()
    {
        Kill();
    }

    bool ChildProcess::Start(const Options& someOptions)
    {
        Kill();
        myStatus = -1;

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const auto output = [](const std::filesystem::path& aPath) { return aPath.empty() ? std::string("/dev/null") : aPath.string(); };
        const std::string out = output(someOptions.myStdout);
        const std::string err = output(someOptions.myStderr);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (!someOptions.myWorkingDirectory.empty())
            posix_spawn_file_actions_addchdir_np(&actions, someOptions.myWorkingDirectory.c_str());

        std::vector<std::string> argumentTexts{someOptions.myProgram.string()};
        argumentTexts.insert(argumentTexts.end(), someOptions.myArguments.begin(), someOptions.myArguments.end());
        std::vector<std::string> environmentTexts = MergedEnvironment(someOptions.myEnvironment);
        std::vector<char*> argv = Pointers(argumentTexts);
        std::vector<char*> envp = Pointers(environmentTexts);

        const CleanSignals signals(someOptions.myBlockedSignals);
        pid_t pid = -1;
        const int result = posix_spawn(&pid, argumentTexts[0].c_str(), &actions, signals.Get(), argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0)
            return false;
        myPid = pid;
        myStartTime = std::chrono::steady_clock::now();
        return true;
    }

    bool ChildProcess::IsRunning()
    {
        if (myPid <= 0)
            return false;
        int status = 0;
        if (waitpid(myPid, &status, WNOHANG) == myPid)
        {
            myStatus = status;
            myPid = -1;
            return false;
        }
        return true;
    }

    int ChildProcess::WaitForExit(std::chrono::milliseconds aLimit)
    {
        const auto end = std::chrono::steady_clock::now() + aLimit;
        for (;;)
        {
            if (!IsRunning())
                return myStatus;
            if (std::chrono::steady_clock::now() >= end)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    bool ChildProcess::Signal(int aSignal) const
    {
        return myPid > 0 && ::kill(myPid, aSignal) == 0;
    }

    void ChildProcess::Kill()
    {
        if (myPid <= 0)
            return;
        ::kill(myPid, SIGKILL);
        int status = 0;
        if (waitpid(myPid, &status, 0) == myPid)
            myStatus = status;
        myPid = -1;
    }

    bool CommandResult::Succeeded() const
    {
        return myStatus != -1 && WIFEXITED(myStatus) && WEXITSTATUS(myStatus) == 0;
    }

    CommandResult RunCommand(const std::vector<std::string>& someArguments, std::chrono::milliseconds aLimit)
    {
        CommandResult result;
        if (someArguments.empty())
            return result;
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0)
            return result;

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        std::vector<std::string> texts = someArguments;
        std::vector<char*> argv = Pointers(texts);
        const CleanSignals signals;
        pid_t pid = -1;
        const int spawned = posix_spawnp(&pid, texts[0].c_str(), &actions, signals.Get(), argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        if (spawned != 0)
        {
            close(pipeEnds[0]);
            return result;
        }

        const auto end = std::chrono::steady_clock::now() + aLimit;
        bool timedOut = false;
        for (;;)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
            {
                timedOut = true;
                break;
            }
            pollfd fd{pipeEnds[0], POLLIN, 0};
            const int ready = poll(&fd, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                continue;
            char buffer[4096];
            const ssize_t size = read(pipeEnds[0], buffer, sizeof(buffer));
            if (size < 0 && errno == EINTR)
                continue;
            if (size <= 0)
                break;
            result.myOutput.append(buffer, static_cast<size_t>(size));
        }
        close(pipeEnds[0]);
        if (timedOut)
            ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        result.myStatus = timedOut ? -1 : status;
        return result;
    }
}
