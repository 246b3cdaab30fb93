#pragma once

#include <QList>
#include <QStringList>
#include <QTextStream>

#include <functional>

// The streams and outcome codes every voranthctl command uses.
struct CtlIo
{
    QTextStream& out;
    QTextStream& err;
};

enum CtlStatus
{
    CtlOk = 0,
    CtlRefused = 1,
    CtlUsageError = 2
};

// One command of voranthctl: its name, a usage line, a one-line summary and what it runs.
struct CtlCommand
{
    QString name;
    QString usage; // arguments after the name, e.g. "KEY VALUE"
    QString summary;
    std::function<int(const QStringList& args, CtlIo& io)> run;
};

// Reads "--flag" and "--option VALUE" arguments out of an argument list.
class CtlArguments
{
public:
    explicit CtlArguments(QStringList args) : m_args(std::move(args)) {}
    // Removes the flag when present.
    bool takeFlag(const QString& flag);
    // Removes "--option VALUE"; ok becomes false when the value is missing.
    QString takeOption(const QString& option, bool& ok);
    // What is left; any "--word" in it is an unknown option.
    const QStringList& rest() const { return m_args; }
    QString firstUnknownOption() const;

private:
    QStringList m_args;
};

// Prints rows as plain columns: every column but the last padded to its widest cell, two
// blanks apart; control characters in a cell show as escapes (VisibleText).
void printColumns(const QList<QStringList>& rows, QTextStream& out);
