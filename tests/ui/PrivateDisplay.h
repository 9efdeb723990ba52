#pragma once

// An Xvfb server of the test program's own, started on a free display number and stopped when the
// program ends, so that pointer moves, key presses and screenshots never meet another program's.
// One per process: GTK opens its display once and ends the process when it goes away.
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

class PrivateDisplay
{
public:
    explicit PrivateDisplay(const char* screen = "1024x768x24")
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            // The server goes with the test program, even when that one crashes.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(fds[0]);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the display number it took once it accepts connections.
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        while (m_pid > 0 && poll(&wait, 1, 10000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (number.empty())
            return;
        m_display = ":" + number;
        setenv("DISPLAY", m_display.c_str(), 1);
    }
    ~PrivateDisplay()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid)
                return;
            usleep(10000);
        }
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    static PrivateDisplay& shared()
    {
        static PrivateDisplay display;
        return display;
    }
    bool ok() const { return !m_display.empty(); }
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};
