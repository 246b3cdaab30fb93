#include "content/BotScriptParser.h"

#include "format/AtomicFile.h"
#include "content/DirectoryWalk.h"
#include "content/ScriptBudget.h"
#include "content/ScriptFileReader.h"
#include "content/ScriptTextCleaner.h"

#include <QDir>
#include <QFile>
#include <QStringTokenizer>

#include <algorithm>

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// The characters the property-list reader takes without quotes.
bool isPlainCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
           u == '$' || u == '+' || u == '/' || u == ':' || u == '.' || u == '-';
}

// A key or value as the reader will read it back: bare when it can be, else in double
// quotes with backslash and double quote escaped.
QString plistString(QStringView text)
{
    const bool plain = !text.isEmpty() && std::all_of(text.begin(), text.end(), isPlainCharacter) &&
                       !text.contains(u"//") && !text.contains(u"/*");
    if (plain)
        return text.toString();
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

qsizetype skip(const QString& text, qsizetype from, bool separators)
{
    while (from < text.size() && isSeparator(text.at(from)) == separators)
        ++from;
    return from;
}

} // namespace

QString BotScriptParser::keyValueLine(const QString& line)
{
    QString work = ScriptTextCleaner::stringStrippedFromNewlineChars(line);
    if (const qsizetype star = work.indexOf(QLatin1Char('*')); star >= 0)
        work.remove(star, 1);
    const qsizetype keyStart = skip(work, 0, true);
    const qsizetype keyEnd = skip(work, keyStart, false);
    const qsizetype valueStart = skip(work, keyEnd, true);
    qsizetype valueEnd = work.size();
    while (valueEnd > valueStart && work.at(valueEnd - 1).isSpace())
        --valueEnd;
    if (keyStart == keyEnd || valueStart >= valueEnd)
        return QString();

    const QStringView separator = QStringView(work).sliced(keyEnd, valueStart - keyEnd);
    const QStringView value = QStringView(work).sliced(valueStart, valueEnd - valueStart);
    // A coloured name or a tag: "=" goes in front of the character before the value.
    // Anything else: "=" goes just after the first TAB, or after the first blank.
    qsizetype equalsAt = separator.size() - 1;
    if (!value.startsWith(QLatin1Char('^')) && !value.startsWith(QLatin1Char('['))) {
        const qsizetype tab = separator.indexOf(QLatin1Char('\t'));
        equalsAt = (tab >= 0 ? tab : 0) + 1;
    }
    QString entry = work.left(keyStart);
    entry += plistString(QStringView(work).sliced(keyStart, keyEnd - keyStart));
    entry += separator.left(equalsAt);
    entry += QLatin1Char('=');
    entry += separator.sliced(equalsAt);
    entry += plistString(value);
    entry += QLatin1String(";\n");
    return entry;
}

namespace {

// The line walk of the bot scripts: one dictionary per block, one entry per key line.
class BotWalk
{
public:
    void addLines(const QString& text)
    {
        for (const QStringView view : QStringTokenizer{text, u'\n'})
            addLine(view.toString());
    }

    QString finish()
    {
        if (m_open)
            m_out += QLatin1Char('}');
        m_open = false;
        m_out += QLatin1String("\n)\n");
        return m_out;
    }

private:
    void addLine(const QString& line)
    {
        if (ScriptTextCleaner::isCommentLine(line))
            return;
        if (line.contains(QLatin1Char('{'))) {
            // A block still open is closed first, so that the list stays readable.
            if (m_open)
                m_out += QLatin1Char('}');
            m_out += m_anyBlock ? QStringLiteral("\n,\n{\n") : QStringLiteral("{\n");
            m_open = m_anyBlock = true;
        } else if (const qsizetype brace = line.indexOf(QLatin1Char('}')); brace >= 0) {
            // A "}" that closes no block is dropped; a key before the brace is kept, and
            // whatever follows it goes, so that the brace alone ends the dictionary.
            const QString before = line.left(brace);
            if (m_open && !before.contains(QLatin1String("aifile")))
                m_out += BotScriptParser::keyValueLine(before);
            if (m_open)
                m_out += QLatin1Char('}');
            m_open = false;
        } else if (!m_open || line.contains(QLatin1String("aifile"))) {
            return; // text outside a block, and the AI file, are not part of the database
        } else if (isBlank(line)) {
            if (line.size() <= 5)
                m_out += line;
        } else {
            m_out += BotScriptParser::keyValueLine(line);
        }
    }

    QString m_out = QStringLiteral("(\n");
    bool m_open = false;
    bool m_anyBlock = false;
};

} // namespace

QString BotScriptParser::plistTextFromBotText(const QString& scriptText)
{
    BotWalk walk;
    walk.addLines(scriptText);
    return walk.finish();
}

bool BotScriptParser::forEachScriptPiece(const QString& path, ScriptBudget& budget,
                                         const std::function<void(const QString&)>& take)
{
    const QString scripts = path + QStringLiteral("/scripts");
    const std::optional<QString> list =
        ScriptFileReader::readText(scripts + QStringLiteral("/bots.txt"), budget);
    if (!list)
        return false;
    take(*list);
    const QStringList files =
        DirectoryWalk::files(scripts, DirectoryWalk::extensionIs(QStringLiteral("bot")));
    for (const QString& file : files) {
        const QString filePath = scripts + QLatin1Char('/') + file;
        if (const auto content = ScriptFileReader::readText(filePath, budget))
            take(ScriptTextCleaner::stringFormattedWithNewlineChars(*content));
    }
    return true;
}

std::optional<QString> BotScriptParser::botScriptText(const QString& path)
{
    ScriptBudget budget;
    QString text;
    bool first = true;
    const bool found = forEachScriptPiece(path, budget, [&](const QString& piece) {
        // On a line of its own, even when the text before does not end with one.
        if (!first)
            text += QLatin1Char('\n');
        text += piece;
        first = false;
    });
    return found ? std::optional<QString>(text) : std::nullopt;
}

bool BotScriptParser::makePlistFromBots(const QString& /*mod*/, const QString& path)
{
    const QString target = path + QStringLiteral("/VOBots.plist");
    QFile::remove(target);
    // File by file, never the whole text at once.
    BotWalk walk;
    ScriptBudget budget;
    const bool found = forEachScriptPiece(path, budget,
                                          [&](const QString& piece) { walk.addLines(piece); });
    const QString text = found ? walk.finish() : noBotsFound();
    if (!QDir().mkpath(path))
        return false;
    return AtomicFile::write(target, text.toUtf8()).ok();
}
