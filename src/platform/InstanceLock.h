// One running instance per program: an exclusive flock on a lock file in
// $XDG_RUNTIME_DIR (else /tmp). The holder writes its process id into the
// file so that a second instance can ask it to come to the front.
#pragma once

#include <string>

namespace platform
{

class InstanceLock
{
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock named name (a file name without folders). False when
    // another process holds it; true also when the lock file cannot be made
    // at all (a broken runtime folder must not keep the game from starting),
    // in which case Held() stays false.
    bool Acquire(const std::string& name);
    bool Held() const { return fd_ >= 0; }
    void Release();

    // Asks the holder of the lock to raise its window (a signal to the
    // process id in the file). False when no holder can be told.
    static bool SignalHolder(const std::string& name);

    // The lock file's path for a name.
    static std::string PathFor(const std::string& name);

private:
    int fd_ = -1;
};

// Installs the handler that notes raise requests from a second instance.
void InstallRaiseRequestHandler();
// True once per request received since the last call.
bool TakeRaiseRequest();

}  // namespace platform
