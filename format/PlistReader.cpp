#include "format/PlistReader.h"

#include <QFile>
#include <QVariantList>
#include <QVariantMap>

namespace {

constexpr int maxNesting = 512;

bool isUnquotedCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
           u == '$' || u == '+' || u == '/' || u == ':' || u == '.' || u == '-';
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isOctalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('7');
}

class Parser
{
public:
    explicit Parser(const QString& text) : m_text(text) {}

    PlistReader::Result parseDocument(bool dictionaryBody)
    {
        PlistReader::Result result;
        QVariant value;
        bool ok = dictionaryBody ? parseDictionaryBody(value, QChar()) : parseValue(value, 0);
        if (ok) {
            skipBlanksAndComments();
            if (m_failed)
                ok = false;
            else if (m_pos < m_text.size())
                ok = fail(QStringLiteral("unexpected text after the end of the property list"));
        }
        if (!ok) {
            result.error = m_error.isEmpty() ? QStringLiteral("malformed property list") : m_error;
            result.offset = m_errorPos;
            locate(result);
            return result;
        }
        result.value = value;
        return result;
    }

private:
    bool fail(const QString& message)
    {
        if (!m_failed) {
            m_failed = true;
            m_error = message;
            m_errorPos = m_pos;
        }
        return false;
    }

    void locate(PlistReader::Result& result) const
    {
        result.line = 1;
        qsizetype lineStart = 0;
        const qsizetype end = std::min(m_errorPos, m_text.size());
        for (qsizetype i = 0; i < end; ++i) {
            if (m_text.at(i) == QLatin1Char('\n')) {
                ++result.line;
                lineStart = i + 1;
            }
        }
        result.column = int(end - lineStart) + 1;
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }

    // Skips white space and both kinds of comment; an unterminated block comment fails.
    void skipBlanksAndComments()
    {
        while (!atEnd()) {
            const QChar c = m_text.at(m_pos);
            if (c.isSpace()) {
                ++m_pos;
            } else if (c == QLatin1Char('/') && m_pos + 1 < m_text.size() &&
                       m_text.at(m_pos + 1) == QLatin1Char('/')) {
                const qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_pos);
                m_pos = end < 0 ? m_text.size() : end + 1;
            } else if (c == QLatin1Char('/') && m_pos + 1 < m_text.size() &&
                       m_text.at(m_pos + 1) == QLatin1Char('*')) {
                const qsizetype end = m_text.indexOf(QStringLiteral("*/"), m_pos + 2);
                if (end < 0) {
                    fail(QStringLiteral("unterminated comment"));
                    m_pos = m_text.size();
                    return;
                }
                m_pos = end + 2;
            } else {
                return;
            }
        }
    }

    bool parseValue(QVariant& value, int depth)
    {
        if (depth > maxNesting)
            return fail(QStringLiteral("arrays and dictionaries nested too deeply"));
        skipBlanksAndComments();
        if (m_failed)
            return false;
        if (atEnd())
            return fail(QStringLiteral("unexpected end of text, expected a value"));
        const QChar c = peek();
        if (c == QLatin1Char('(')) {
            ++m_pos;
            return parseArray(value, depth);
        }
        if (c == QLatin1Char('{')) {
            ++m_pos;
            return parseDictionaryBody(value, QLatin1Char('}'), depth);
        }
        if (c == QLatin1Char('<')) {
            ++m_pos;
            return parseData(value);
        }
        QString text;
        if (!parseString(text))
            return false;
        value = text;
        return true;
    }

    bool parseString(QString& text)
    {
        const QChar c = peek();
        if (c == QLatin1Char('"'))
            return parseQuoted(text);
        if (isUnquotedCharacter(c)) {
            const qsizetype start = m_pos;
            while (!atEnd() && isUnquotedCharacter(m_text.at(m_pos)))
                ++m_pos;
            text = m_text.mid(start, m_pos - start);
            return true;
        }
        return fail(QStringLiteral("unexpected character '%1', expected a string").arg(c));
    }

    bool parseQuoted(QString& text)
    {
        ++m_pos; // opening quote
        while (true) {
            if (atEnd())
                return fail(QStringLiteral("unterminated quoted string"));
            const QChar c = m_text.at(m_pos++);
            if (c == QLatin1Char('"'))
                return true;
            if (c != QLatin1Char('\\')) {
                text.append(c);
                continue;
            }
            if (atEnd())
                return fail(QStringLiteral("unterminated quoted string"));
            if (!appendEscape(text))
                return false;
        }
    }

    bool appendEscape(QString& text)
    {
        const QChar c = m_text.at(m_pos++);
        switch (c.unicode()) {
        case 'a':
            text.append(QChar(7));
            return true;
        case 'b':
            text.append(QChar(8));
            return true;
        case 'f':
            text.append(QChar(12));
            return true;
        case 'n':
            text.append(QChar(10));
            return true;
        case 'r':
            text.append(QChar(13));
            return true;
        case 't':
            text.append(QChar(9));
            return true;
        case 'v':
            text.append(QChar(11));
            return true;
        case 'U':
            return appendUnicodeEscape(text);
        default:
            break;
        }
        if (isOctalDigit(c)) {
            int code = c.digitValue();
            for (int i = 0; i < 2 && !atEnd() && isOctalDigit(m_text.at(m_pos)); ++i)
                code = code * 8 + m_text.at(m_pos++).digitValue();
            text.append(QChar(char16_t(code)));
            return true;
        }
        text.append(c); // \\ \" and any other character stand for themselves
        return true;
    }

    bool appendUnicodeEscape(QString& text)
    {
        char16_t code = 0;
        int digits = 0;
        for (; digits < 4 && !atEnd() && hexValue(m_text.at(m_pos)) >= 0; ++digits)
            code = char16_t(code * 16 + hexValue(m_text.at(m_pos++)));
        if (digits == 0)
            return fail(QStringLiteral("\\U without hexadecimal digits"));
        text.append(QChar(code));
        return true;
    }

    bool parseArray(QVariant& value, int depth)
    {
        QVariantList list;
        while (true) {
            skipBlanksAndComments();
            if (m_failed)
                return false;
            if (atEnd())
                return fail(QStringLiteral("unexpected end of text inside an array"));
            if (peek() == QLatin1Char(')')) {
                ++m_pos;
                break;
            }
            QVariant element;
            if (!parseValue(element, depth + 1))
                return false;
            list.append(element);
            skipBlanksAndComments();
            if (m_failed)
                return false;
            if (peek() == QLatin1Char(',')) {
                ++m_pos;
            } else if (peek() != QLatin1Char(')')) {
                return fail(atEnd() ? QStringLiteral("unexpected end of text inside an array")
                                    : QStringLiteral("expected ',' or ')' in an array"));
            }
        }
        value = list;
        return true;
    }

    // The entries "key = value;" up to the closing character (none: up to the end).
    bool parseDictionaryBody(QVariant& value, QChar closing, int depth = 0)
    {
        QVariantMap map;
        while (true) {
            skipBlanksAndComments();
            if (m_failed)
                return false;
            if (atEnd()) {
                if (closing.isNull())
                    break;
                return fail(QStringLiteral("unexpected end of text inside a dictionary"));
            }
            if (!closing.isNull() && peek() == closing) {
                ++m_pos;
                break;
            }
            QString key;
            if (!parseString(key))
                return false;
            skipBlanksAndComments();
            if (peek() != QLatin1Char('='))
                return fail(QStringLiteral("expected '=' after the key \"%1\"").arg(key.left(40)));
            ++m_pos;
            QVariant entry;
            if (!parseValue(entry, depth + 1))
                return false;
            skipBlanksAndComments();
            if (peek() != QLatin1Char(';'))
                return fail(
                    QStringLiteral("expected ';' after the value of \"%1\"").arg(key.left(40)));
            ++m_pos;
            map.insert(key, entry);
        }
        value = map;
        return true;
    }

    bool parseData(QVariant& value)
    {
        QByteArray hex;
        while (true) {
            if (atEnd())
                return fail(QStringLiteral("unterminated data"));
            const QChar c = m_text.at(m_pos++);
            if (c == QLatin1Char('>'))
                break;
            if (c.isSpace())
                continue;
            if (hexValue(c) < 0) {
                --m_pos;
                return fail(QStringLiteral("unexpected character in data"));
            }
            hex.append(char(c.unicode()));
        }
        if (hex.size() % 2 != 0)
            return fail(QStringLiteral("data with an odd number of hexadecimal digits"));
        value = QByteArray::fromHex(hex);
        return true;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    bool m_failed = false;
    QString m_error;
    qsizetype m_errorPos = 0;
};

} // namespace

PlistReader::Result PlistReader::parse(const QString& text)
{
    return Parser(text).parseDocument(false);
}

PlistReader::Result PlistReader::parse(const QByteArray& utf8)
{
    return parse(QString::fromUtf8(utf8));
}

PlistReader::Result PlistReader::parseFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Result result;
        result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    return parse(file.readAll());
}

PlistReader::Result PlistReader::parseStrings(const QString& text)
{
    return Parser(text).parseDocument(true);
}
