#pragma once

#include "format/PlistReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

// Small helpers shared by the script parser tests.
namespace ScriptTestSupport {

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file read back as a list; fails the test when it is not one.
inline QVariantList readList(const QString& path)
{
    const PlistReader::Result parsed = PlistReader::parseFile(path);
    EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString() << " at line " << parsed.line;
    EXPECT_EQ(parsed.value.typeId(), QMetaType::QVariantList);
    return parsed.value.toList();
}

inline QVariantList listFromText(const QString& text)
{
    const PlistReader::Result parsed = PlistReader::parse(text);
    EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString()
                             << " in: " << text.left(400).toStdString();
    EXPECT_EQ(parsed.value.typeId(), QMetaType::QVariantList);
    return parsed.value.toList();
}

// One value of every dictionary of the list, in order.
inline QStringList column(const QVariantList& list, const QString& key)
{
    QStringList values;
    for (const QVariant& entry : list)
        values.append(entry.toMap().value(key).toString());
    return values;
}

} // namespace ScriptTestSupport
