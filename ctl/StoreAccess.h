#pragma once

#include "config/ConfigStore.h"
#include "config/StoreLock.h"
#include "ctl/CtlCommand.h"

// The configuration store as one voranthctl command uses it: read as it stands by a command
// that only looks, or locked, loaded and written back at once by a command that changes it.
// The lock is the window's: while a window (or another command) holds it, nothing changes.
class StoreAccess
{
public:
    explicit StoreAccess(CtlIo& io) : m_io(io) {}

    // Reads the store and leaves the files alone. False, with a message, when the store file
    // exists but cannot be read.
    bool openForReading();
    // Takes the lock and loads the store. An unreadable store file is kept aside and the
    // user told where. False, with a message, when another instance holds the lock or an
    // unreadable store could not be kept aside (saving would then destroy it).
    bool openForChanging();

    ConfigStore& store() { return m_store; }
    // Writes the whole store at once; false with a message.
    bool save();

    // The record of that name; nullptr, with a message, when there is none.
    ServerConfig* findOrComplain(const QString& name);

private:
    CtlIo& m_io;
    StoreLock m_lock;
    ConfigStore m_store;
};
