#pragma once

#include "ctl/CtlCommand.h"
#include "rcon/RemoteCommands.h"
#include "server/RunningServer.h"

#include <functional>

#include <memory>
#include <optional>

class MapLibrary;
class RconAlerts;
class RemoteControl;

// The remote console of one server Voranth started, as one voranthctl command uses it: the
// server as its record names it (its password, address, port, rotation and mod), and a
// client that speaks to that server only. Messages go to the error stream, and at the end a
// pacing ledger that could not be used is named there.
class RunningServerSession
{
public:
    explicit RunningServerSession(CtlIo& io);
    ~RunningServerSession();
    RunningServerSession(const RunningServerSession&) = delete;
    RunningServerSession& operator=(const RunningServerSession&) = delete;

    // Finds the server of the configuration named, or the one that runs (ServerChoice), and
    // connects to it; false, with a message, when there is none to speak to or it cannot be
    // reached.
    bool open(const QString& serverName);

    RemoteControl& client() { return *m_client; }
    const RunningServer::Record& record() const { return *m_record; }
    // The map library of the server's mod, read as it stands.
    const MapLibrary& library() const { return *m_library; }

    // "ADDRESS:PORT" of the server.
    QString endpointText() const;
    // Says that the server did not answer (unless it turned the password down, which its
    // alert already said); returns CtlRefused.
    int reportMissingReply();

    // Runs a command on the server and waits for its outcome: a command-line program has
    // nothing else to do meanwhile.
    using Command = std::function<void(RemoteCommands&, RemoteCommands::Done)>;
    RemoteCommands::Sent run(const Command& command);
    RemoteCommands::Refresh refreshStatus();
    // Reads the next map; false when it cannot be read.
    bool readNextMap();
    // The slot of the player the last status lists under name (exactly, or else without
    // regard to case and colour codes); -1 when none.
    int slotOf(const QString& name) const;

private:
    CtlIo& m_io;
    std::unique_ptr<RconAlerts> m_alerts;
    std::optional<RunningServer::Record> m_record;
    std::shared_ptr<MapLibrary> m_library;
    std::unique_ptr<RemoteControl> m_client;
};
