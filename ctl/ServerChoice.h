#pragma once

#include "ctl/CtlCommand.h"
#include "server/RunningServer.h"

#include <optional>

// Which of our running servers a command speaks to: the one of the configuration that
// "--server NAME" names, or, without it, the one that runs. When several run, a command
// without --server is refused with their names: it never guesses.
class ServerChoice
{
public:
    static constexpr const char* option = "--server";

    // Takes "--server NAME" out of the arguments; ok becomes false when NAME is missing.
    static QString take(CtlArguments& arguments, bool& ok);
    // The same for a command whose other arguments are free text (a console command, chat):
    // only a leading "--server NAME" is an option there.
    static QString takeLeading(QStringList& args, bool& ok);

    // The running server of the configuration named (or the only one, for an empty name),
    // with its process found; none, with the reason on the error stream, otherwise.
    static std::optional<RunningServer::Record> find(const QString& configName, CtlIo& io);
    // The same, but a server still starting counts too.
    static std::optional<RunningServer::Record> findStartedOrStarting(const QString& configName,
                                                                      CtlIo& io);
};
