#pragma once

#include <QByteArray>
#include <QString>

// What marks the processes of one launch as Voranth's: a random token that the launched
// process gets in its environment and hands on to what it starts (terminal, shell, server).
// The server's environment is its own user's to read; nothing another program starts holds
// the token.
class LaunchToken
{
public:
    LaunchToken() = delete;

    // The environment variable that carries the token.
    static QString variableName() { return QStringLiteral("VORANTH_SERVER_TOKEN"); }
    // 128 random bits from the system's generator, as 32 hexadecimal digits.
    static QString generate();
    // The environment entry "NAME=TOKEN", as /proc/PID/environ holds it.
    static QByteArray environmentEntry(const QString& token);
};
