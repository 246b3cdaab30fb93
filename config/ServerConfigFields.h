#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class ServerConfig;

// Every field of a configuration record, once: its name, what kind of value it holds, and
// how to read and write it as a QVariant. The command line's set-field, the tests of the
// archive and the editor go through this table, so a field added to the record and not
// here is found missing.
struct ServerConfigField
{
    enum class Kind
    {
        Switch,
        Integer,
        Choice, // a radio group of two: 0 or 1
        Port,
        Decimal,
        Text,
        Address, // a host name or an IP address
        List, // the map list, the extra parameters and the two lists kept for mods
    };

    QString name;
    Kind kind;
    std::function<QVariant(const ServerConfig&)> get;
    std::function<void(ServerConfig&, const QVariant&)> set;
};

class ServerConfigFields
{
public:
    ServerConfigFields() = delete;

    // In the order of the record's fields.
    static const QList<ServerConfigField>& all();
    // The field of that name, or none.
    static const ServerConfigField* find(const QString& name);
};
