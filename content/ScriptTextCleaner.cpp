#include "content/ScriptTextCleaner.h"

#include <QStringTokenizer>

#include <array>

namespace {

QString withoutFirst(const QString& text, QChar c)
{
    QString result = text;
    const qsizetype at = result.indexOf(c);
    if (at >= 0)
        result.remove(at, 1);
    return result;
}

// The keywords of arena and bot scripts, in the order they are put on lines of their own.
// " model" and " name" carry a blank so that "headmodel" and "funname" are not split.
constexpr std::array<const char16_t*, 12> kLineKeywords = {
    u"map",  u"bots",      u"longname", u"fraglimit", u"capturelimit", u"timelimit",
    u"type", u"headmodel", u" model",   u" name",     u"aifile",       u"}"};

// One "{"-delimited piece: a line break goes in front of the first occurrence of each
// keyword, looked for in the piece as the earlier insertions left it.
QString pieceWithKeywordsOnLines(QStringView piece)
{
    QString result = piece.toString();
    for (const char16_t* keyword : kLineKeywords) {
        const qsizetype at = result.indexOf(QStringView(keyword));
        if (at >= 0)
            result.insert(at, QLatin1Char('\n'));
    }
    return result;
}

} // namespace

QString ScriptTextCleaner::stringStrippedFromNewlineChars(const QString& text)
{
    return withoutFirst(withoutFirst(text, QLatin1Char('\n')), QLatin1Char('\r'));
}

QString ScriptTextCleaner::stringStrippedFromSemicolonChars(const QString& text)
{
    return withoutFirst(text, QLatin1Char(';'));
}

QString ScriptTextCleaner::stringStrippedFrom2SlashComment(const QString& text)
{
    const qsizetype at = text.indexOf(QLatin1String("//"));
    return at < 0 ? text : text.left(at);
}

QString ScriptTextCleaner::mapStringStrippedToPrintoutForm(const QString& text)
{
    QString result = withoutFirst(text, QLatin1Char('='));
    result.remove(QLatin1Char(' '));
    result.remove(QLatin1Char('"'));
    return stringStrippedFromNewlineChars(stringStrippedFromSemicolonChars(result));
}

QString ScriptTextCleaner::removeJunkFromQ3F2File(const QString& text)
{
    static const QString mapinfo = QStringLiteral("mapinfo");
    QString result;
    result.reserve(text.size() + 2);
    for (const QStringView line : QStringTokenizer{text, u'\n'}) {
        const qsizetype at = line.indexOf(mapinfo);
        if (at >= 0) {
            result += line.mid(at + mapinfo.size());
        } else if (line.contains(QLatin1String("gameindexDef"))) {
            result += QLatin1String("}\n");
            break;
        } else {
            result +=
                stringStrippedFromSemicolonChars(stringStrippedFrom2SlashComment(line.toString()));
        }
        result += QLatin1Char('\n');
    }
    return result;
}

QString ScriptTextCleaner::stringFormattedWithNewlineChars(const QString& text)
{
    // Piece by piece rather than through a split list: a hostile file of braces alone would
    // otherwise make millions of list entries.
    QString result;
    result.reserve(text.size() + text.size() / 8 + 16);
    qsizetype start = 0;
    while (true) {
        const qsizetype brace = text.indexOf(QLatin1Char('{'), start);
        const qsizetype end = brace < 0 ? text.size() : brace;
        result += pieceWithKeywordsOnLines(QStringView(text).sliced(start, end - start));
        if (brace < 0)
            break;
        result += QLatin1Char('{');
        start = brace + 1;
    }
    return result;
}

bool ScriptTextCleaner::isCommentLine(const QString& line)
{
    const qsizetype at = line.indexOf(QLatin1String("//"));
    return at >= 0 && at <= 2;
}
