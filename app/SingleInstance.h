#pragma once

#include <string>

namespace ZumeliApplication {

// One running copy per user and version. The first start takes an exclusive lock on a file in the
// user's runtime folder ($XDG_RUNTIME_DIR, else a private folder under /tmp) and listens on a
// Unix-domain socket beside it; a later start finds the lock taken, asks the running copy over
// the socket to raise its main window, and is told to exit. A socket left by a killed copy is
// replaced by the next one that gets the lock.
class SingleInstance {
public:
    enum class Outcome { First, OtherRunning };

    // `name` names the lock and the socket ("Zumeli 3.1.4" gives "zumeli-3.1.4.lock").
    explicit SingleInstance(const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock (First) or, when another copy holds it, asks that copy to raise its window
    // (OtherRunning, whether or not it answered within a second).
    Outcome claim();
    // The running copy: true once for every raise request that arrived since the last call.
    // Never waits.
    bool takeRaiseRequest();

    static std::string runtimeFolder();
    const std::string& socketPath() const { return m_socketPath; }

private:
    bool listen();
    bool askRunningCopy();

    std::string m_lockPath;
    std::string m_socketPath;
    int m_lock = -1;
    int m_listener = -1;
};

} // namespace ZumeliApplication
