#include "ctl/StoreAccess.h"

#include "config/VisibleText.h"

#include <QFileInfo>

bool StoreAccess::openForReading()
{
    const QString path = ConfigStore::storePath();
    if (!QFileInfo::exists(path))
        return true;
    const Result<ConfigArchive::Store> records = ConfigArchive::read(path);
    if (!records.ok()) {
        m_io.err << "voranthctl: the configuration store " << path << " cannot be read ("
                 << records.error << ")\n";
        return false;
    }
    for (const ServerConfig& record : records.value)
        m_store.insert(record);
    return true;
}

bool StoreAccess::openForChanging()
{
    if (!m_lock.tryLock()) {
        m_io.err << "voranthctl: the configuration store is in use by another Voranth";
        if (m_lock.holderPid() > 0)
            m_io.err << " (process " << m_lock.holderPid() << ")";
        m_io.err << "; close it and try again. Nothing was changed.\n";
        return false;
    }
    m_store.load();
    if (m_store.loadError().isEmpty())
        return true;
    if (m_store.movedAsidePath().isEmpty()) {
        m_io.err << "voranthctl: the configuration store " << ConfigStore::storePath()
                 << " cannot be read (" << m_store.loadError()
                 << ") and could not be moved aside; nothing was changed\n";
        return false;
    }
    m_io.err << "voranthctl: the configuration store could not be read (" << m_store.loadError()
             << "); it was kept as " << m_store.movedAsidePath()
             << " and a new, empty store begun\n";
    return true;
}

bool StoreAccess::save()
{
    const Result<void> saved = m_store.save();
    if (saved.ok())
        return true;
    m_io.err << "voranthctl: the configuration store " << ConfigStore::storePath()
             << " could not be written (" << saved.error << "); nothing was changed\n";
    return false;
}

ServerConfig* StoreAccess::findOrComplain(const QString& name)
{
    if (ServerConfig* record = m_store.find(name))
        return record;
    m_io.err << "voranthctl: there is no configuration named '" << VisibleText::escaped(name)
             << "' (voranthctl configs lists them)\n";
    return nullptr;
}
