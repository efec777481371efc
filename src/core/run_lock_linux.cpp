// The Linux side of RunLock: flock(), which belongs to the open file and so also keeps two
// stores in one process apart.
#include "core/run_lock.h"

#ifndef Q_OS_WIN

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

namespace velo {

RunLock::RunLock(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    handle_ = fd;
}

RunLock::~RunLock() {
    if (held()) ::close(int(handle_));
}

bool RunLock::heldElsewhere(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace velo

#endif
