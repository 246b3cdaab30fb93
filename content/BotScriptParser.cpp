#include "content/BotScriptParser.h"

#include "format/AtomicFile.h"
#include "content/DirectoryWalk.h"
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
           u == '$' || u == '/' || u == ':' || u == '.' || u == '-';
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

QString BotScriptParser::plistTextFromBotText(const QString& scriptText)
{
    QString out = QStringLiteral("(\n");
    bool open = false;
    bool anyBlock = false;
    for (const QStringView view : QStringTokenizer{scriptText, u'\n'}) {
        const QString line = view.toString();
        if (ScriptTextCleaner::isCommentLine(line))
            continue;
        if (line.contains(QLatin1Char('{'))) {
            // A block still open is closed first, so that the list stays readable.
            if (open)
                out += QLatin1Char('}');
            out += anyBlock ? QStringLiteral("\n,\n{\n") : QStringLiteral("{\n");
            open = anyBlock = true;
        } else if (const qsizetype brace = line.indexOf(QLatin1Char('}')); brace >= 0) {
            // A "}" that closes no block is dropped; a key before the brace is kept, and
            // whatever follows it goes, so that the brace alone ends the dictionary.
            const QString before = line.left(brace);
            if (open && !before.contains(QLatin1String("aifile")))
                out += keyValueLine(before);
            if (open)
                out += QLatin1Char('}');
            open = false;
        } else if (!open || line.contains(QLatin1String("aifile"))) {
            continue; // text outside a block, and the AI file, are not part of the database
        } else if (isBlank(line)) {
            if (line.size() <= 5)
                out += line;
        } else {
            out += keyValueLine(line);
        }
    }
    if (open)
        out += QLatin1Char('}');
    out += QLatin1String("\n)\n");
    return out;
}

std::optional<QString> BotScriptParser::botScriptText(const QString& path)
{
    const QString scripts = path + QStringLiteral("/scripts");
    std::optional<QString> text = ScriptFileReader::readText(scripts + QStringLiteral("/bots.txt"));
    if (!text)
        return std::nullopt;
    const QStringList files =
        DirectoryWalk::files(scripts, DirectoryWalk::extensionIs(QStringLiteral("bot")));
    for (const QString& file : files) {
        if (const auto content = ScriptFileReader::readText(scripts + QLatin1Char('/') + file)) {
            // On a line of its own, even when the text before does not end with one.
            *text += QLatin1Char('\n');
            *text += ScriptTextCleaner::stringFormattedWithNewlineChars(*content);
        }
    }
    return text;
}

bool BotScriptParser::makePlistFromBots(const QString& /*mod*/, const QString& path)
{
    const QString target = path + QStringLiteral("/VOBots.plist");
    QFile::remove(target);
    const std::optional<QString> scriptText = botScriptText(path);
    const QString text = scriptText ? plistTextFromBotText(*scriptText) : noBotsFound();
    if (!QDir().mkpath(path))
        return false;
    return AtomicFile::write(target, text.toUtf8());
}
