#include "config/ServerConfig.h"
#include "config/ServerConfigFields.h"
#include "ctl/ConfigFieldSetter.h"

#include <gtest/gtest.h>

namespace {

// Text a user could type for a field of that kind, different from a new record's value.
QString typedValue(const ServerConfigField& field)
{
    using Kind = ServerConfigField::Kind;
    switch (field.kind) {
    case Kind::Switch:
        return field.get(ServerConfig()).toBool() ? QStringLiteral("NO") : QStringLiteral("YES");
    case Kind::Integer:
        return QStringLiteral("123");
    case Kind::Choice:
        return QStringLiteral("1");
    case Kind::Port:
        return QStringLiteral("27999");
    case Kind::Decimal:
        return QStringLiteral("4.5");
    case Kind::Text:
        return QStringLiteral("typed");
    case Kind::Address:
        return QStringLiteral("192.0.2.7");
    case Kind::List:
        break;
    }
    return {};
}

} // namespace

TEST(ConfigFieldSetter, EveryFieldItNamesIsSetFromTypedText)
{
    const QStringList names = ConfigFieldSetter::fieldNames();
    EXPECT_GE(names.size(), 38);
    for (const QString& name : names) {
        if (name == QLatin1String("gameTypeString"))
            continue; // needs a mod's game types; tested with the demo game's
        const ServerConfigField* field = ServerConfigFields::find(name);
        ASSERT_NE(field, nullptr) << name.toStdString();
        ServerConfig record;
        if (name == QLatin1String("optimizeNetwork"))
            record.setRadioOptimizeNetwork(1); // a rate of the user's own
        const QVariant before = field->get(record);
        QString error;
        EXPECT_TRUE(ConfigFieldSetter::setField(record, name, typedValue(*field), &error))
            << name.toStdString() << ": " << error.toStdString();
        EXPECT_NE(field->get(record), before) << name.toStdString();
    }
}
