#include "config/ConfigArchive.h"
#include "config/ServerConfig.h"
#include "config/ServerConfigFields.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

using Kind = ServerConfigField::Kind;

// A value for the field at that index that no default record holds.
QVariant distinctValue(const ServerConfigField& field, int index)
{
    switch (field.kind) {
    case Kind::Switch:
        return true;
    case Kind::Integer:
        return 1000 + index;
    case Kind::Choice:
        return 1;
    case Kind::Port:
        return 27000 + index;
    case Kind::Decimal:
        return 2.5 + index;
    case Kind::Text:
        return QStringLiteral("text of %1").arg(field.name);
    case Kind::Address:
        return QStringLiteral("192.0.2.%1").arg(index);
    case Kind::List:
        if (field.name == QLatin1String("mapList"))
            return QStringList{QStringLiteral("q3dm%1").arg(index), QStringLiteral("q3dm17")};
        if (field.name == QLatin1String("extraParameters"))
            return QVariantList{QStringList{QStringLiteral("g_gravity"), QStringLiteral("400")}};
        return QVariantList{QStringLiteral("kept for %1").arg(field.name), index};
    }
    return {};
}

// A record with every field of the table set to a value of its own.
ServerConfig recordWithEveryFieldSet()
{
    ServerConfig record = ServerConfig::blank();
    const QList<ServerConfigField>& fields = ServerConfigFields::all();
    for (int i = 0; i < fields.size(); ++i)
        fields.at(i).set(record, distinctValue(fields.at(i), i));
    return record;
}

} // namespace

TEST(ServerConfigFields, EveryFieldOfTheRecordIsInTheTableOnce)
{
    QSet<QString> names;
    for (const ServerConfigField& field : ServerConfigFields::all())
        EXPECT_TRUE(!names.contains(field.name) && (names.insert(field.name), true))
            << field.name.toStdString();

    // Copying every field of the table copies the whole record: a member the table lacks
    // would make the copy differ.
    const ServerConfig full = recordWithEveryFieldSet();
    ServerConfig copy = ServerConfig::blank();
    for (const ServerConfigField& field : ServerConfigFields::all())
        field.set(copy, field.get(full));
    EXPECT_EQ(copy, full);
    for (const ServerConfigField& field : ServerConfigFields::all()) {
        ServerConfig without = full;
        field.set(without, field.get(ServerConfig::blank()));
        EXPECT_NE(without, full) << field.name.toStdString() << " changes nothing";
    }
}

TEST(ServerConfigFields, EveryFieldGoesThroughTheArchive)
{
    const ServerConfig full = recordWithEveryFieldSet();
    const Result<ConfigArchive::Store> read =
        ConfigArchive::decode(ConfigArchive::encode({{QStringLiteral("All"), full}}));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    const ServerConfig back = read.value.value(QStringLiteral("All"));
    for (const ServerConfigField& field : ServerConfigFields::all())
        EXPECT_EQ(field.get(back), field.get(full)) << field.name.toStdString();
}
