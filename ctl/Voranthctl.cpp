#include "ctl/Voranthctl.h"

#include "config/CommonData.h"
#include "config/DataDirectory.h"
#include "config/VisibleText.h"

#include "ctl/ConfigCommands.h"
#include "ctl/ContentCommands.h"
#include "ctl/HistoryCommands.h"
#include "ctl/LogCommands.h"
#include "ctl/ModCommands.h"
#include "ctl/QueryCommands.h"
#include "ctl/RconCommands.h"
#include "ctl/RemoteControlCommands.h"
#include "ctl/ServerCommands.h"
#include "ctl/SettingsCommands.h"

Voranthctl::Voranthctl()
{
    SettingsCommands::addTo(m_commands);
    ContentCommands::addTo(m_commands);
    ModCommands::addTo(m_commands);
    ConfigCommands::addTo(m_commands);
    ServerCommands::addTo(m_commands);
    LogCommands::addTo(m_commands);
    RconCommands::addTo(m_commands);
    RemoteControlCommands::addTo(m_commands);
    QueryCommands::addTo(m_commands);
    HistoryCommands::addTo(m_commands);
}

int Voranthctl::run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    CtlIo io{out, err};
    if (arguments.isEmpty() || arguments.first() == QStringLiteral("--help") ||
        arguments.first() == QStringLiteral("help")) {
        printHelp(arguments.isEmpty() ? err : out);
        return arguments.isEmpty() ? CtlUsageError : CtlOk;
    }
    if (arguments.first() == QStringLiteral("--version")) {
        out << "voranthctl " << CommonData::applicationVersion() << '\n';
        return CtlOk;
    }
    const QString name = arguments.first();
    for (const CtlCommand& command : m_commands) {
        if (command.name != name)
            continue;
        const QStringList args = arguments.mid(1);
        if (args.contains(QStringLiteral("--help"))) {
            out << "usage: voranthctl " << command.name << ' ' << command.usage << '\n'
                << command.summary << '\n';
            return CtlOk;
        }
        if (const Result<void> directory = DataDirectory::prepare(); !directory.ok()) {
            err << "voranthctl: " << DataDirectory::unusableTitle() << ' '
                << VisibleText::escaped(directory.error) << " Nothing was changed.\n";
            return CtlRefused;
        }
        return command.run(args, io);
    }
    err << "voranthctl: unknown command '" << name << "' (see voranthctl --help)\n";
    return CtlUsageError;
}

void Voranthctl::printHelp(QTextStream& out) const
{
    out << "usage: voranthctl COMMAND [ARGUMENTS...]   (COMMAND --help for details)\n"
        << "       voranthctl --help | --version\n\n";
    for (const CtlCommand& command : m_commands)
        out << "  " << (command.name + QLatin1Char(' ') + command.usage).leftJustified(44)
            << command.summary << '\n';
}
