#include "config/StoreLock.h"

#include "config/CommonData.h"
#include "config/DataDirectory.h"

QString StoreLock::lockPath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/ServerConfigs.lock");
}

bool StoreLock::tryLock()
{
    if (isLocked())
        return true;
    DataDirectory::prepare();
    m_lock = std::make_unique<QLockFile>(lockPath());
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    QString host;
    QString application;
    m_holderPid = 0;
    m_lock->getLockInfo(&m_holderPid, &host, &application);
    m_lock.reset();
    return false;
}

void StoreLock::unlock()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}
