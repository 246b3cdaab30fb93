#pragma once

#include <QString>

#include <optional>

// How a server is hosted: in a terminal (or detached without one), or as a service of the
// user's service manager, which restarts it when it crashes. The user setting "Server
// Hosting" chooses; a start may choose otherwise.
class ServerHosting
{
public:
    enum class Way
    {
        Terminal,
        Service,
    };

    // The setting's values.
    static QString terminalText() { return QStringLiteral("terminal"); }
    static QString serviceText() { return QStringLiteral("service"); }
    static QString textOf(Way way);
    static std::optional<Way> fromText(const QString& text);

    // The setting; the terminal for anything else.
    static Way chosen();
};
