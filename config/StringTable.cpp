#include "config/StringTable.h"

#include "format/PlistReader.h"
#include "format/Logging.h"

#include <QFile>
#include <QHash>
#include <QVariantMap>

namespace {

QVariantMap loadTable(const QString& table)
{
    QFile file(QStringLiteral(":/resources/strings/%1.strings").arg(table));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const PlistReader::Result parsed = PlistReader::parseStrings(QString::fromUtf8(file.readAll()));
    if (!parsed.ok()) {
        qCWarning(lcConfig, "String table %s: %s at line %d", qPrintable(table), qPrintable(parsed.error),
                 parsed.line);
        return {};
    }
    return parsed.value.toMap();
}

const QVariantMap& table(const QString& name)
{
    static QHash<QString, QVariantMap> tables;
    auto it = tables.find(name);
    if (it == tables.end())
        it = tables.insert(name, loadTable(name));
    return *it;
}

} // namespace

QString StringTable::text(const QString& tableName, const QString& key, const QString& defaultText)
{
    const QVariant entry = table(tableName).value(key);
    return entry.isValid() ? entry.toString() : defaultText;
}

bool StringTable::contains(const QString& tableName, const QString& key)
{
    return table(tableName).contains(key);
}

QString StringTable::text(const QString& tableName, const QString& key, const QString& defaultText,
                          const QStringList& values)
{
    return filled(text(tableName, key, defaultText), values);
}

QString StringTable::filled(const QString& format, const QStringList& values)
{
    const QString placeholder = QStringLiteral("%@");
    QString result;
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype at = format.indexOf(placeholder, from);
        if (at < 0)
            break;
        result += QStringView(format).mid(from, at - from);
        result += value;
        from = at + placeholder.size();
    }
    result += QStringView(format).mid(from);
    return result;
}
