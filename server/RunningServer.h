#pragma once

#include "config/ServerConfig.h"

#include <QDateTime>
#include <QString>

#include <optional>

// The server Voranth started: which configuration it runs, and what tells it apart from any
// other process of the same executable. Recorded at start, so that the window and
// voranthctl, in this run or a later one, know its password, address, port and rotation, and
// signal and speak to that server only.
class RunningServer
{
public:
    struct Record
    {
        // The configuration the server runs now; Run Config switches it.
        ServerConfig config;
        // The argument of "+exec" the server was started with ("VO_<name>.config"). It stays
        // the same when the configuration is switched: the process keeps its command line.
        QString execFile;
        // The server's process id once it was found; -1 before.
        qint32 pid = -1;
        QDateTime startedAt;
    };

    static QString recordPath();
    // A fresh record of a server about to start with config: its configuration file, no
    // process id yet. Readable by its owner only (it holds the passwords); false when it
    // cannot be written.
    static bool record(const ServerConfig& config);
    static bool write(const Record& record);
    // The record, or none when there is none or it cannot be read.
    static std::optional<Record> read();
    // The configuration of the record, or none.
    static std::optional<ServerConfig> running();
    // Notes the server's process id in the record; false when there is no record.
    static bool setProcessId(qint32 pid);
    // The server now runs config (it executed config's file): the record names config, with
    // the password, address and port the server still has from its start. False when there
    // is no record.
    static bool switchConfiguration(const ServerConfig& config);
    static void clear();
};
