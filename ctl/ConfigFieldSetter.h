#pragma once

#include <QStringList>

class ServerConfig;

// Sets one field of a configuration, named as the record names it ("fragLimit",
// "rconPassword", "netPort", ...), from the text a user typed. Every field the setup editor
// edits can be set; the name, the mod, the map list and the extra parameters have commands of
// their own, and gameType follows gameTypeString.
class ConfigFieldSetter
{
public:
    ConfigFieldSetter() = delete;

    // The names setField() takes, in the record's order.
    static QStringList fieldNames();

    // Switches take YES/NO, true/false or 1/0; the two radio fields 0 or 1; netPort 1 to
    // 65535; quadFactor a decimal number. gameTypeString must be a game type of the record's
    // mod and sets gameType to that game type's number. False, with the record unchanged and
    // a message in error, for an unknown field or a value that does not fit it.
    static bool setField(ServerConfig& record, const QString& field, const QString& value,
                         QString* error);
};
