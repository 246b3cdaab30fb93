#pragma once

#include "content/PakFinder.h"
#include "content/UnparsableMaps.h"

#include <QString>
#include <QStringList>

#include <functional>

class ScriptBudget;

// Turns a mod's extracted arena, map-list and map-info scripts into its map database
// "VOArenas.plist": the scripts' loose key-and-value blocks are rewritten line by line into
// property-list dictionaries, every block is tested on its own, and the blocks that do not
// parse are left out, their maps recorded (with the pak that holds each) as unparsable.
// One parser serves a whole scan; its record grows over every mod it builds. Unparsable
// maps are looked for in the paks of the game directory gameRoot.
class ArenaScriptParser
{
public:
    explicit ArenaScriptParser(const QString& gameRoot = QString()) : m_pakFinder(gameRoot) {}
    virtual ~ArenaScriptParser() = default;

    // Rebuilds path/VOArenas.plist from the scripts below path; false when it could not be
    // written (the map library then finds it missing and rebuilds it at the next start).
    bool makePlistFromArena(const QString& mod, const QString& path);

    // The scripts below a mod's data directory, in order: the list file ("" without one), then
    // every cleaned ".arena", ".cfg" and ".mapinfo" file. Each file's size is taken from the
    // budget first; a file that does not fit is skipped.
    static void forEachScriptPiece(const QString& path, ScriptBudget& budget,
                                   const std::function<void(const QString&)>& take);
    // Those pieces joined with line breaks into one text.
    static QString arenaScriptText(const QString& path);
    // The database text for that script text; records the blocks it leaves out.
    QString plistTextFromArenaText(const QString& scriptText, const QString& mod);

    // Whether the lines of one block (its opening line first) parse as a dictionary once the
    // opening line is replaced by "{".
    virtual bool checkBlockParsability(const QStringList& block) const;
    // Records the maps named in the lines of a block that is left out.
    void addMapToUnparsableMaps(const QStringList& block, const QString& mod);
    QString findPakWithMap(const QString& map, const QString& mod)
    {
        return m_pakFinder.findPakWithMap(map, mod);
    }

    const UnparsableMaps& unparsable() const { return m_unparsable; }
    const PakFinder& pakFinder() const { return m_pakFinder; }

    // The text of a block as the block test reads it.
    static QString blockTestText(const QStringList& block);
    // A line without a brace, rewritten as "key= value;\n"; the flag tells a line whose kind
    // could not be told (no double quote, "limit" or "players").
    static QString keyValueLine(const QString& line, bool* unknownType = nullptr);

    bool debug = false;

private:
    UnparsableMaps m_unparsable;
    PakFinder m_pakFinder;
};
