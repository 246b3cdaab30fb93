#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// Keeps a second instance of the same user from changing the configuration store while the
// window or a voranthctl command holds it. A lock left behind by a crashed process is
// recognised as stale and taken over.
class StoreLock
{
public:
    static QString lockPath();

    // Takes the lock; false when another running process holds it.
    bool tryLock();
    bool isLocked() const { return m_lock && m_lock->isLocked(); }
    // The process that holds the lock, when tryLock failed (0 when unknown).
    qint64 holderPid() const { return m_holderPid; }
    void unlock();

private:
    std::unique_ptr<QLockFile> m_lock;
    qint64 m_holderPid = 0;
};
