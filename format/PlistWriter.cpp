#include "format/PlistWriter.h"

#include "format/AtomicFile.h"

#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace {

bool isUnquotedCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
           u == '$' || u == '+' || u == '/' || u == ':' || u == '.' || u == '-';
}

// A word of unquoted characters that starts a comment ("//", "/*") would not read back.
bool needsQuotes(const QString& text)
{
    if (text.isEmpty() || text.contains(QLatin1String("//")) || text.contains(QLatin1String("/*")))
        return true;
    for (QChar c : text)
        if (!isUnquotedCharacter(c))
            return true;
    return false;
}

QString quoted(const QString& text)
{
    if (!needsQuotes(text))
        return text;
    QString out;
    out.reserve(text.size() + 2);
    out.append(QLatin1Char('"'));
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out.append(QLatin1String("\\\""));
            break;
        case '\\':
            out.append(QLatin1String("\\\\"));
            break;
        case '\n':
            out.append(QLatin1String("\\n"));
            break;
        case '\r':
            out.append(QLatin1String("\\r"));
            break;
        case '\t':
            out.append(QLatin1String("\\t"));
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out.append(QStringLiteral("\\%1").arg(c.unicode(), 3, 8, QLatin1Char('0')));
            else
                out.append(c);
        }
    }
    out.append(QLatin1Char('"'));
    return out;
}

void writeValue(const QVariant& value, QString& out, int indent);

void newline(QString& out, int indent)
{
    out.append(QLatin1Char('\n'));
    out.append(QString(indent, QLatin1Char('\t')));
}

void writeList(const QVariantList& list, QString& out, int indent)
{
    out.append(QLatin1Char('('));
    for (qsizetype i = 0; i < list.size(); ++i) {
        newline(out, indent + 1);
        writeValue(list.at(i), out, indent + 1);
        if (i + 1 < list.size())
            out.append(QLatin1Char(','));
    }
    newline(out, indent);
    out.append(QLatin1Char(')'));
}

void writeMap(const QVariantMap& map, QString& out, int indent)
{
    out.append(QLatin1Char('{'));
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        newline(out, indent + 1);
        out.append(quoted(it.key()));
        out.append(QLatin1String(" = "));
        writeValue(it.value(), out, indent + 1);
        out.append(QLatin1Char(';'));
    }
    newline(out, indent);
    out.append(QLatin1Char('}'));
}

void writeValue(const QVariant& value, QString& out, int indent)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        writeMap(value.toMap(), out, indent);
        return;
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        writeList(value.toList(), out, indent);
        return;
    case QMetaType::QByteArray:
        out.append(QLatin1Char('<') + QString::fromLatin1(value.toByteArray().toHex()) +
                   QLatin1Char('>'));
        return;
    case QMetaType::QDateTime:
        out.append(quoted(value.toDateTime().toString(Qt::ISODateWithMs)));
        return;
    default:
        out.append(quoted(value.toString()));
    }
}

} // namespace

QString PlistWriter::write(const QVariant& value)
{
    QString out;
    writeValue(value, out, 0);
    out.append(QLatin1Char('\n'));
    return out;
}

Result<void> PlistWriter::writeFile(const QString& path, const QVariant& value)
{
    return AtomicFile::write(path, write(value).toUtf8());
}
