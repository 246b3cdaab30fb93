#include "ctl/ConfigFieldSetter.h"

#include "config/GameLimits.h"
#include "config/NetAddress.h"
#include "config/ServerConfig.h"
#include "config/ServerConfigFields.h"
#include "config/VisibleText.h"
#include "content/GameTypes.h"
#include "content/ModSupport.h"

#include <QVariant>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

using Kind = ServerConfigField::Kind;

// The fields set with commands of their own, or following another one.
bool isSetOtherWays(const ServerConfigField& field)
{
    static const QStringList others = {
        QStringLiteral("configName"),      QStringLiteral("modName"),
        QStringLiteral("gameType"),        QStringLiteral("mapList"),
        QStringLiteral("extraParameters"), QStringLiteral("modParameters"),
        QStringLiteral("moreGUIParameters"), QStringLiteral("saveAndStartButtonLabel"),
    };
    return field.kind == Kind::List || others.contains(field.name);
}

// The rate follows the two radio fields unless it is custom, as when the editor writes them.
bool changesTheRate(const QString& field)
{
    return field == QLatin1String("radioDedicatedType") ||
           field == QLatin1String("radioOptimizeNetwork");
}

const ServerConfigField* settableField(const QString& name)
{
    const ServerConfigField* field = ServerConfigFields::find(name);
    return field && !isSetOtherWays(*field) ? field : nullptr;
}

// Fields of the record that are not set this way, with the way they are set.
QString otherWayFor(const QString& field)
{
    if (field == QLatin1String("configName"))
        return QStringLiteral("it is changed with voranthctl rename");
    if (field == QLatin1String("gameType"))
        return QStringLiteral("it follows gameTypeString (set that to the game type's name)");
    if (field == QLatin1String("mapList"))
        return QStringLiteral("maps are changed with voranthctl add-maps and remove-maps");
    if (field == QLatin1String("modName"))
        return QStringLiteral("a configuration stays with the mod it was made for");
    return {};
}

std::optional<bool> switchValue(const QString& text)
{
    static const QStringList on = {QStringLiteral("yes"), QStringLiteral("true"),
                                   QStringLiteral("1")};
    static const QStringList off = {QStringLiteral("no"), QStringLiteral("false"),
                                    QStringLiteral("0")};
    if (on.contains(text, Qt::CaseInsensitive))
        return true;
    if (off.contains(text, Qt::CaseInsensitive))
        return false;
    return std::nullopt;
}

// The value of text for a field of that kind; invalid when it does not fit, with the reason.
QVariant parsedValue(Kind kind, const QString& text, QString& expected)
{
    bool ok = false;
    switch (kind) {
    case Kind::Switch:
        expected = QStringLiteral("YES or NO (true/false, 1/0)");
        if (const std::optional<bool> on = switchValue(text))
            return *on;
        return {};
    case Kind::Integer: {
        expected = QStringLiteral("a whole number");
        const int value = text.toInt(&ok);
        return ok ? QVariant(value) : QVariant();
    }
    case Kind::Choice: {
        expected = QStringLiteral("0 or 1");
        const int value = text.toInt(&ok);
        return ok && (value == 0 || value == 1) ? QVariant(value) : QVariant();
    }
    case Kind::Port: {
        expected = QStringLiteral("a port number from 1 to 65535");
        const int value = text.toInt(&ok);
        return ok && value >= 1 && value <= GameLimits::maxPort ? QVariant(value) : QVariant();
    }
    case Kind::Decimal: {
        expected = QStringLiteral("a decimal number such as 3.5");
        const float value = text.toFloat(&ok);
        return ok && std::isfinite(value) ? QVariant(value) : QVariant();
    }
    case Kind::Text:
        return text;
    case Kind::Address:
        expected = QStringLiteral("a host name or an IP address");
        return NetAddress::isHostNameOrAddress(text) ? QVariant(text) : QVariant();
    case Kind::List:
        break; // set with commands of their own
    }
    return {};
}

bool setGameTypeString(ServerConfig& record, const QString& name, QString* error)
{
    const ModSupport modDB;
    const GameTypes* types = modDB.gameTypesForMod(record.modName());
    if (!types) {
        *error = QStringLiteral("the mod '%1' of this configuration has no map database, so its "
                                "game types are not known (voranthctl scan builds it)")
                     .arg(record.modName());
        return false;
    }
    const qsizetype index = types->gametypeNames().indexOf(name);
    if (index < 0) {
        *error =
            QStringLiteral("'%1' is no game type of %2; its game types are: %3")
                .arg(VisibleText::escaped(name), record.modName(),
                     types->gametypeNames().join(QStringLiteral(", ")));
        return false;
    }
    record.setGameTypeString(name);
    record.setGameType(GameTypes::integerValue(types->gametypeNumbers().at(index)));
    return true;
}

} // namespace

QStringList ConfigFieldSetter::fieldNames()
{
    QStringList names;
    for (const ServerConfigField& field : ServerConfigFields::all())
        if (!isSetOtherWays(field))
            names.append(field.name);
    return names;
}

bool ConfigFieldSetter::setField(ServerConfig& record, const QString& field, const QString& value,
                                 QString* error)
{
    const ServerConfigField* found = settableField(field);
    if (!found) {
        const QString otherWay = otherWayFor(field);
        *error = otherWay.isEmpty()
                     ? QStringLiteral("there is no field named '%1'; the fields are: %2")
                           .arg(VisibleText::escaped(field), fieldNames().join(QStringLiteral(", ")))
                     : QStringLiteral("'%1' cannot be set: %2").arg(field, otherWay);
        return false;
    }
    if (field == QLatin1String("gameTypeString"))
        return setGameTypeString(record, value, error);
    QString expected;
    const QVariant parsed = parsedValue(found->kind, value, expected);
    if (!parsed.isValid()) {
        *error = found->kind == Kind::Address
                     ? NetAddress::refusalMessage(value)
                     : QStringLiteral("'%1' is no value for %2: it takes %3")
                           .arg(VisibleText::escaped(value), field, expected);
        return false;
    }
    if (field == QLatin1String("optimizeNetwork") && record.radioOptimizeNetwork() == 0) {
        *error = QStringLiteral("the rate follows the connection type while radioOptimizeNetwork "
                                "is 0; set radioOptimizeNetwork to 1 for a rate of your own");
        return false;
    }
    found->set(record, parsed);
    if (changesTheRate(field))
        record.setOptimizeNetwork(record.optimizeNetwork());
    return true;
}
