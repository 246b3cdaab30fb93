#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class ServerConfig;

// Every field of a configuration record, once: its name, what kind of value it holds, and
// how to read and write it as a QVariant. voranthctl's set-field finds the fields it changes
// here; the window's editor has bindings of its own. The tests copy a record field by field
// through this table and through the archive, so a field the record gains and the table
// lacks makes them fail.
struct ServerConfigField
{
    enum class Kind
    {
        Switch,
        Integer,
        Choice, // one of two radio choices, 0 or 1
        Port,
        Decimal,
        Text,
        Address, // a host name or an IP address
        List, // the map list, the extra parameters and the two lists kept for mods; not set
              // by set-field
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

    // The single values in the order the archive keeps them, then the lists and the start
    // button's label.
    static const QList<ServerConfigField>& all();
    // The field of that name, or none.
    static const ServerConfigField* find(const QString& name);
};
