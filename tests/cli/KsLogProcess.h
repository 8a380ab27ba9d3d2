#pragma once
// The real kslog run as a child process over pipes, and its JSON lines read back.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

class TKsLogProcess {
public:
    explicit TKsLogProcess(std::vector<std::string> args)
    {
        std::signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
        std::vector<char*> argv{const_cast<char*>(KSLOG_PATH)};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int in[2], out[2], err[2];
        // Close-on-exec: no other child may keep a pipe open that a test closes.
        if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC) || (FPid = fork()) < 0)
            throw std::runtime_error("cannot start a process");
        if (FPid == 0) {
            std::signal(SIGPIPE, SIG_DFL);
            dup2(in[0], 0), dup2(out[1], 1), dup2(err[1], 2);
            execv(KSLOG_PATH, argv.data());
            std::fprintf(stderr, "cannot run %s\n", KSLOG_PATH);
            _exit(127);
        }
        close(in[0]), close(out[1]), close(err[1]);
        FFds = {in[1], out[0], err[0]};
    }
    ~TKsLogProcess()
    {
        if (!FStatus)
            kill(FPid, SIGKILL), waitpid(FPid, nullptr, 0);
        for (const int fd : FFds)
            if (fd >= 0)
                close(fd);
    }

    void WriteInputAndClose(std::string_view bytes)
    {
        for (ssize_t put = 0; !bytes.empty() && (put = write(FFds[0], bytes.data(), bytes.size())) > 0;)
            bytes.remove_prefix(static_cast<std::size_t>(put));
        Close(0);
    }
    // The reader of standard output goes away, as `head` does.
    void CloseOutput() { Close(1); }

    // Reads what arrives within the time; false once both outputs are closed.
    bool Pump(int milliseconds)
    {
        pollfd fds[2] = {{FFds[1], POLLIN, 0}, {FFds[2], POLLIN, 0}};
        if (FFds[1] < 0 && FFds[2] < 0)
            return false;
        if (poll(fds, 2, milliseconds) > 0)
            for (int i = 0; i < 2; ++i) {
                char buffer[65536];
                const ssize_t got = fds[i].revents ? read(fds[i].fd, buffer, sizeof buffer) : -2;
                if (got > 0)
                    (i == 0 ? Out : Err).append(buffer, static_cast<std::size_t>(got));
                else if (got != -2)
                    Close(i + 1);
            }
        return true;
    }

    bool ReadUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done() && std::chrono::steady_clock::now() < deadline && Pump(20)) {
        }
        return done();
    }

    // The exit status (-signal when one ended it), or nothing while it still runs.
    std::optional<int> Wait(std::chrono::milliseconds timeout = 60s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (int status = 0; !FStatus;) {
            if (waitpid(FPid, &status, WNOHANG) == FPid)
                FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            else if (std::chrono::steady_clock::now() >= deadline)
                break;
            else if (!Pump(20))
                std::this_thread::sleep_for(20ms);
        }
        while (FStatus && Pump(100)) {
        }
        return FStatus;
    }

    pid_t Pid() const noexcept { return FPid; }
    std::string Out, Err;

private:
    void Close(int i)
    {
        close(FFds[i]);
        FFds[i] = -1;
    }
    pid_t FPid = -1;
    std::array<int, 3> FFds{-1, -1, -1};
    std::optional<int> FStatus;
};

struct TKsLogResult {
    int Status = -1;
    std::string Out, Err;
};

inline TKsLogResult RunKsLog(const std::vector<std::string>& args, const std::string& input = {},
                             std::chrono::seconds limit = 60s)
{
    TKsLogProcess process(args);
    std::thread feeder([&] { process.WriteInputAndClose(input); });
    const std::optional<int> status = process.Wait(limit);
    feeder.join();
    EXPECT_TRUE(status) << "kslog " << args[0] << " did not end within " << limit.count() << " s";
    return {status.value_or(-1), process.Out, process.Err};
}

// Each line of JSON lines output as an object; a line that is none fails the test.
inline std::vector<QJsonObject> JsonLines(std::string_view out)
{
    std::vector<QJsonObject> records;
    for (std::size_t at = 0, end; at < out.size(); at = end + 1) {
        end = std::min(out.find('\n', at), out.size());
        QJsonParseError error;
        const QJsonDocument line = QJsonDocument::fromJson(QByteArray(out.data() + at, qsizetype(end - at)), &error);
        EXPECT_TRUE(line.isObject() && end < out.size())
            << "line " << records.size() + 1 << ": " << error.errorString().toStdString() << ": " << out.substr(at, 200);
        records.push_back(line.object());
    }
    return records;
}
