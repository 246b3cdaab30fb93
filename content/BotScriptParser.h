#pragma once

#include <QString>

#include <functional>
#include <optional>

class ScriptBudget;

// Turns a mod's extracted bot scripts ("scripts/bots.txt" and the "*.bot" files below
// "scripts") into its bot database "VOBots.plist": a list with one dictionary per bot block,
// one entry per key line, the "aifile" lines left out.
class BotScriptParser
{
public:
    BotScriptParser() = delete;

    // Rebuilds path/VOBots.plist; without a readable bots.txt it holds "no bots found".
    // False when the file could not be written.
    static bool makePlistFromBots(const QString& mod, const QString& path);

    // bots.txt, then every cleaned ".bot" file, each file's size taken from the budget first
    // (a file that does not fit is skipped); false, and nothing taken, when bots.txt cannot
    // be read.
    static bool forEachScriptPiece(const QString& path, ScriptBudget& budget,
                                   const std::function<void(const QString&)>& take);
    // Those pieces, each on lines of its own; nothing when bots.txt cannot be read.
    static std::optional<QString> botScriptText(const QString& path);
    // The database text for that script text.
    static QString plistTextFromBotText(const QString& scriptText);
    // One key line ("name\t\tSarge") as a dictionary entry ("name\t=\tSarge;\n"); empty when
    // the line holds no key with a value.
    static QString keyValueLine(const QString& line);

    static QString noBotsFound() { return QStringLiteral("no bots found"); }
};
