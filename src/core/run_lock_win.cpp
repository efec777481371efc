// The Windows side of RunLock: LockFileEx on a handle the system closes with its process.
#include "core/run_lock.h"

#ifdef Q_OS_WIN

#include <windows.h>

namespace velo {

namespace {
HANDLE openLockFile(const QString& path, DWORD disposition) {
    return CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool lock(HANDLE h) {
    OVERLAPPED at{};
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}
}  // namespace

RunLock::RunLock(const QString& path) {
    HANDLE h = openLockFile(path, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return;
    if (!lock(h)) {
        CloseHandle(h);
        return;
    }
    handle_ = reinterpret_cast<qintptr>(h);
}

RunLock::~RunLock() {
    if (held()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool RunLock::heldElsewhere(const QString& path) {
    HANDLE h = openLockFile(path, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool held = !lock(h) && GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(h);
    return held;
}

}  // namespace velo

#endif
