#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <functional>

namespace testsupport {

/// A second process running `body` (its answer is the exit code), with a pipe each way:
/// the child reads what the test sends and the test reads what the child reports.
class ChildProcess {
public:
    explicit ChildProcess(const std::function<int(int readFd, int writeFd)>& body) {
        int toChild[2], toParent[2];
        if (pipe(toChild) != 0 || pipe(toParent) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            ::close(toChild[1]);
            ::close(toParent[0]);
            int rc = 100;
            try {
                rc = body(toChild[0], toParent[1]);
            } catch (...) {
                rc = 101;
            }
            _exit(rc);
        }
        ::close(toChild[0]);
        ::close(toParent[1]);
        m_write = toChild[1];
        m_read = toParent[0];
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_read >= 0) ::close(m_read);
        if (m_write >= 0) ::close(m_write);
    }
    bool started() const { return m_pid > 0; }
    /// Sends one byte to the child.
    void Send(char c) { (void)!::write(m_write, &c, 1); }
    /// Waits for one byte from the child; 0 when the child closed its end.
    char Receive() {
        char c = 0;
        return ::read(m_read, &c, 1) == 1 ? c : 0;
    }
    int readFd() const { return m_read; }
    /// Waits for the child to end; its exit code, or -signal when killed.
    int Wait() {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_reaped = true;
        if (WIFSIGNALED(status)) return -WTERMSIG(status);
        return WEXITSTATUS(status);
    }
    void Kill() { kill(m_pid, SIGKILL); }

    /// Child side helpers.
    static char ChildReceive(int fd) {
        char c = 0;
        return ::read(fd, &c, 1) == 1 ? c : 0;
    }
    static void ChildSend(int fd, char c) { (void)!::write(fd, &c, 1); }

private:
    pid_t m_pid = -1;
    int m_read = -1;
    int m_write = -1;
    bool m_reaped = false;
};

}  // namespace testsupport
