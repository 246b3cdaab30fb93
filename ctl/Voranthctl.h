#pragma once

#include "ctl/CtlCommand.h"

// The command-line companion: dispatches "voranthctl COMMAND ARGS..." to its command.
class Voranthctl
{
public:
    Voranthctl();
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    const QList<CtlCommand>& commands() const { return m_commands; }

private:
    void printHelp(QTextStream& out) const;
    QList<CtlCommand> m_commands;
};
