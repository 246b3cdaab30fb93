#include "server/ConsoleText.h"

#include <QHash>

#include <algorithm>

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// Letters and signs that have no decomposition into ASCII but an obvious spelling in it.
QString spelledOut(char32_t c)
{
    static const QHash<char32_t, QString> table = {
        {U'ß', QStringLiteral("ss")}, {U'Æ', QStringLiteral("AE")}, {U'æ', QStringLiteral("ae")},
        {U'Œ', QStringLiteral("OE")}, {U'œ', QStringLiteral("oe")}, {U'Ø', QStringLiteral("O")},
        {U'ø', QStringLiteral("o")},  {U'Ł', QStringLiteral("L")},  {U'ł', QStringLiteral("l")},
        {U'Đ', QStringLiteral("D")},  {U'đ', QStringLiteral("d")},  {U'Ð', QStringLiteral("D")},
        {U'ð', QStringLiteral("d")},  {U'Þ', QStringLiteral("TH")}, {U'þ', QStringLiteral("th")},
        {U'ı', QStringLiteral("i")},  {U'‘', QStringLiteral("'")},  {U'’', QStringLiteral("'")},
        {U'‚', QStringLiteral("'")},  {U'“', QStringLiteral("'")},  {U'”', QStringLiteral("'")},
        {U'„', QStringLiteral("'")},  {U'–', QStringLiteral("-")},  {U'—', QStringLiteral("-")},
        {U'−', QStringLiteral("-")},  {U'«', QStringLiteral("<<")}, {U'»', QStringLiteral(">>")},
    };
    return table.value(c);
}

// The ASCII form of one character outside ASCII: its compatibility decomposition without
// the combining marks when that is all ASCII, else a spelling from the table, else '?'.
QString asciiForm(char32_t c)
{
    if (QChar::category(c) == QChar::Mark_NonSpacing)
        return {};
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    QString kept;
    bool allAscii = true;
    for (const QChar d : decomposed) {
        if (d.category() == QChar::Mark_NonSpacing)
            continue;
        if (d.unicode() >= 0x80) {
            allAscii = false;
            break;
        }
        kept += d;
    }
    if (allAscii && !kept.isEmpty())
        return kept;
    const QString spelled = spelledOut(c);
    return spelled.isEmpty() ? QStringLiteral("?") : spelled;
}

// Outside quotes: ';' would end the command and "/*" would open a comment running on over
// the following lines; "//" makes the rest of the line a comment, which matters for a value
// with more of the command after it. Control characters would end the line (or, a NUL, the
// whole script).
QString neutralized(const QString& ascii, bool breakLineComments)
{
    QString out;
    out.reserve(ascii.size());
    bool quoted = false;
    for (QChar c : ascii) {
        if (isControl(c))
            c = QLatin1Char(' ');
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char(';'))
            c = QLatin1Char(' ');
        else if (!quoted && (c == QLatin1Char('*') || (breakLineComments && c == QLatin1Char('/'))) &&
                 out.endsWith(QLatin1Char('/')))
            c = QLatin1Char(' ');
        out += c;
    }
    return out;
}

} // namespace

QString ConsoleText::toAscii(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80)
            out += QChar(c);
        else
            out += asciiForm(c);
    }
    return out;
}

QString ConsoleText::quotedValue(const QString& text)
{
    QString out = toAscii(text);
    for (QChar& c : out) {
        if (c == QLatin1Char('"'))
            c = QLatin1Char('\'');
        else if (isControl(c))
            c = QLatin1Char(' ');
    }
    return out;
}

QString ConsoleText::bareValue(const QString& text)
{
    // Without any quote left, all of it is outside quotes.
    return neutralized(quotedValue(text), true);
}

QString ConsoleText::command(const QString& text)
{
    return neutralized(toAscii(text), false);
}

QString ConsoleText::line(const QString& head, const QString& value, const QString& tail)
{
    const qsizetype room = std::max<qsizetype>(maxLineLength - head.size() - tail.size(), 0);
    return head + value.left(room) + tail + QLatin1Char('\n');
}
