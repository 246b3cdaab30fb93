#include "content/ArenaScriptParser.h"

#include "format/AtomicFile.h"
#include "content/DirectoryWalk.h"
#include "content/ScriptBudget.h"
#include "format/PlistReader.h"
#include "content/ScriptFileReader.h"
#include "content/ScriptTextCleaner.h"
#include "format/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringTokenizer>
#include <QtDebug>

#include <algorithm>

namespace {

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

qsizetype indexOfBrace(const QString& line, qsizetype from)
{
    for (qsizetype i = from; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('{') || c == QLatin1Char('}'))
            return i;
    }
    return -1;
}

// The line walk. A block runs from a line holding "{" to the next line holding "}"; the
// block is tested as a whole and then either written out or left out. Only tested blocks
// reach the output, so the database always reads back as a list:
// - a line holding more than one brace is walked as several lines, broken in front of its
//   second and every later brace ("} {" closes one block and opens the next);
// - a "}" that closes no open block, and text between blocks other than blank lines, are
//   left out;
// - a block still open when the next "{" or the end of the text comes is left out.
// Whatever is left out has its maps recorded as unparsable.
class BlockWalk
{
public:
    BlockWalk(ArenaScriptParser& parser, const QString& mod) : m_parser(parser), m_mod(mod) {}

    void addLine(const QString& line)
    {
        if (ScriptTextCleaner::isCommentLine(line)) {
            if (m_open)
                m_block.append(QString());
            return;
        }
        const qsizetype first = indexOfBrace(line, 0);
        qsizetype next = first < 0 ? -1 : indexOfBrace(line, first + 1);
        if (next < 0) {
            addPiece(line);
            return;
        }
        qsizetype start = 0;
        while (next >= 0) {
            addPiece(line.mid(start, next - start));
            start = next;
            next = indexOfBrace(line, next + 1);
        }
        addPiece(line.mid(start));
    }

    QString finish()
    {
        if (m_open)
            leaveOut(m_block);
        m_open = false;
        m_block.clear();
        return QStringLiteral("(\n") + m_out + QStringLiteral("\n)\n");
    }

    int unknownTypeLines() const { return m_unknownTypeLines; }

private:
    void addPiece(const QString& piece)
    {
        if (piece.contains(QLatin1Char('}')))
            closeBlock(piece);
        else if (piece.contains(QLatin1Char('{')))
            openBlock(piece);
        else
            addContent(piece);
    }

    void addContent(const QString& line)
    {
        bool unknownType = false;
        QString rewritten = ArenaScriptParser::keyValueLine(line, &unknownType);
        if (unknownType)
            ++m_unknownTypeLines;
        if (m_open)
            m_block.append(std::move(rewritten));
        else if (isBlank(rewritten))
            m_out += rewritten;
        else
            leaveOut({rewritten});
    }

    void openBlock(const QString& line)
    {
        if (m_open)
            leaveOut(m_block);
        m_block = {line};
        m_open = true;
    }

    void closeBlock(const QString& line)
    {
        if (!m_open) {
            leaveOut({line});
            return;
        }
        m_block.append(line);
        m_open = false;
        if (m_parser.checkBlockParsability(m_block) && writtenFormReadsAsTested())
            writeBlock();
        else
            leaveOut(m_block);
        m_block.clear();
    }

    // The block is written with nothing between its lines but tested with line breaks. The
    // two differ only after a short line that does not end its own line: "a=b", "/*", "*/;"
    // reads as a = b when tested but not when written as "a=b/**/;". Such a block is kept
    // only if its written form reads as the same dictionary, so it cannot spoil the list.
    bool writtenFormReadsAsTested() const
    {
        const auto joinsWithNext = [](const QString& line) {
            return !line.endsWith(QLatin1Char('\n')) && !isBlank(line);
        };
        if (std::none_of(m_block.begin() + 1, m_block.end() - 1, joinsWithNext))
            return true;
        const PlistReader::Result tested =
            PlistReader::parse(ArenaScriptParser::blockTestText(m_block));
        const PlistReader::Result written = PlistReader::parse(writtenText(m_block));
        return written.ok() && written.value == tested.value;
    }

    static QString writtenText(const QStringList& block)
    {
        QString text = QStringLiteral("{");
        for (qsizetype i = 1; i < block.size(); ++i)
            text += block.at(i);
        return text;
    }

    // The tested text, but for the opening line, which becomes "{" (the first block) or
    // "\n,\n{\n"; the other lines are joined with nothing between them.
    void writeBlock()
    {
        m_out += m_written == 0 ? QStringLiteral("{") : QStringLiteral("\n,\n{\n");
        for (qsizetype i = 1; i < m_block.size(); ++i)
            m_out += m_block.at(i);
        ++m_written;
    }

    void leaveOut(const QStringList& lines)
    {
        if (m_parser.debug)
            qCDebug(lcContent, "Removing invalid block:\n %s", qPrintable(lines.join(QLatin1Char('\n'))));
        m_parser.addMapToUnparsableMaps(lines, m_mod);
    }

    ArenaScriptParser& m_parser;
    const QString& m_mod;
    QString m_out;
    QStringList m_block;
    bool m_open = false;
    int m_written = 0;
    int m_unknownTypeLines = 0;
};

void addLines(BlockWalk& walk, const QString& text)
{
    for (const QStringView line : QStringTokenizer{text, u'\n'})
        walk.addLine(line.toString());
}

QString finished(BlockWalk& walk, const QString& mod)
{
    const QString text = walk.finish();
    if (walk.unknownTypeLines() > 0) {
        qCWarning(lcContent, "Unknown type in .arena or .mapinfo file! (%d lines, mod %s)",
                 walk.unknownTypeLines(), qPrintable(mod));
    }
    return text;
}

} // namespace

void ArenaScriptParser::forEachScriptPiece(const QString& path, ScriptBudget& budget,
                                           const std::function<void(const QString&)>& take)
{
    const QString scripts = path + QStringLiteral("/scripts");
    const QString arenas = scripts + QStringLiteral("/arenas.txt");
    const QString list = QFileInfo::exists(arenas) ? arenas : scripts + QStringLiteral("/maps.txt");
    take(ScriptFileReader::readText(list, budget).value_or(QString()));
    const auto isArena = DirectoryWalk::extensionIs(QStringLiteral("arena"));
    for (const QString& file : DirectoryWalk::files(scripts, isArena)) {
        if (const auto content = ScriptFileReader::readText(scripts + QLatin1Char('/') + file, budget))
            take(ScriptTextCleaner::stringFormattedWithNewlineChars(*content));
    }

    // The map-info files come in one walk, each cleaned after its kind.
    const QString maps = path + QStringLiteral("/maps");
    const auto isMapInfo = DirectoryWalk::extensionIs(QStringLiteral("mapinfo"));
    const auto isConfig = DirectoryWalk::extensionIs(QStringLiteral("cfg"));
    const QStringList files = DirectoryWalk::files(
        maps, [&](const QString& name) { return isMapInfo(name) || isConfig(name); });
    for (const QString& file : files) {
        const auto content = ScriptFileReader::readText(maps + QLatin1Char('/') + file, budget);
        if (!content)
            continue;
        take(isMapInfo(file) ? ScriptTextCleaner::removeJunkFromQ3F2File(*content)
                             : ScriptTextCleaner::stringFormattedWithNewlineChars(*content));
    }
}

QString ArenaScriptParser::arenaScriptText(const QString& path)
{
    ScriptBudget budget;
    QString text;
    bool first = true;
    forEachScriptPiece(path, budget, [&](const QString& piece) {
        if (!first)
            text += QLatin1Char('\n');
        text += piece;
        first = false;
    });
    return text;
}

QString ArenaScriptParser::plistTextFromArenaText(const QString& scriptText, const QString& mod)
{
    BlockWalk walk(*this, mod);
    addLines(walk, scriptText);
    return finished(walk, mod);
}

bool ArenaScriptParser::makePlistFromArena(const QString& mod, const QString& path)
{
    const QString target = path + QStringLiteral("/VOArenas.plist");
    QFile::remove(target);
    // File by file, never the whole text at once: the lines of the pieces are the lines of
    // the pieces joined with line breaks.
    BlockWalk walk(*this, mod);
    ScriptBudget budget;
    forEachScriptPiece(path, budget, [&](const QString& piece) { addLines(walk, piece); });
    const QString text = finished(walk, mod);
    if (!QDir().mkpath(path))
        return false;
    return AtomicFile::write(target, text.toUtf8()).ok();
}

QString ArenaScriptParser::blockTestText(const QStringList& block)
{
    QString text = QStringLiteral("{");
    for (qsizetype i = 1; i < block.size(); ++i) {
        text += QLatin1Char('\n');
        text += block.at(i);
    }
    return text;
}

bool ArenaScriptParser::checkBlockParsability(const QStringList& block) const
{
    if (block.isEmpty())
        return false;
    const PlistReader::Result parsed = PlistReader::parse(blockTestText(block));
    return parsed.ok() && parsed.value.typeId() == QMetaType::QVariantMap;
}

void ArenaScriptParser::addMapToUnparsableMaps(const QStringList& block, const QString& mod)
{
    for (const QString& line : block) {
        const qsizetype at = line.indexOf(QLatin1String("map"));
        if (at < 0)
            continue;
        // Trimmed, unlike the printout form alone: "map\t\t"x"" must give x, not tabs and x.
        const QString name =
            ScriptTextCleaner::mapStringStrippedToPrintoutForm(line.mid(at + 3)).trimmed();
        m_unparsable.addMap(name, mod, findPakWithMap(name, mod));
    }
}

QString ArenaScriptParser::keyValueLine(const QString& line, bool* unknownType)
{
    if (line.size() <= 5 || isBlank(line))
        return line;
    QString rewritten = ScriptTextCleaner::stringStrippedFromNewlineChars(line);
    // Where "=" goes is measured in the line as read, before its "\r" is dropped.
    qsizetype at = 0;
    if (const qsizetype quote = line.indexOf(QLatin1Char('"')); quote >= 0) {
        at = std::max<qsizetype>(quote - 1, 0);
    } else if (const qsizetype limit = line.indexOf(QLatin1String("limit")); limit >= 0) {
        at = limit + 5;
    } else if (const qsizetype players = line.indexOf(QLatin1String("players")); players >= 0) {
        at = players + 7;
    } else if (unknownType) {
        *unknownType = true;
    }
    rewritten.insert(std::min(at, rewritten.size()), QLatin1Char('='));
    rewritten += QLatin1String(";\n");
    return rewritten;
}
