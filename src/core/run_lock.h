#pragma once

#include <QString>
#include <QtGlobal>

namespace velo {

// A lock on a file that the system lets go of when its holder ends, however it ends (a
// kill -9 included), so that "still running" never rests on a process id alone: an id is
// reused, and one from another PID namespace names a stranger.
class RunLock {
  public:
    // Takes the lock at `path`, creating the file; held() says whether it worked.
    explicit RunLock(const QString& path);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    bool held() const { return handle_ != kNone; }
    // Whether a live process holds the lock at `path`; false when there is no such file.
    static bool heldElsewhere(const QString& path);

  private:
    static constexpr qintptr kNone = -1;
    qintptr handle_ = kNone;
};

}  // namespace velo
