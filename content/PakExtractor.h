#pragma once

#include <QString>
#include <QStringList>

class ScriptBudget;

// Extracts the script, level-shot and game-info members of one pk3 archive into a mod's
// data directory, as "unzip -uoq PAK PATTERN -d DIR" would for each of the six selections:
// member paths are kept, "*" also matches "/", case matters, and an existing file is
// replaced only by a newer member. Unlike unzip it never writes outside the directory,
// never makes links, and skips members too large for these kinds of files.
class PakExtractor
{
public:
    static constexpr qint64 defaultMaxMemberSize = 32 * 1024 * 1024;

    struct Report
    {
        bool opened = false;     // the archive could be read at all
        int membersWritten = 0;  // files created or replaced
        int membersNotNewer = 0; // matched, but an existing file was as new or newer
        QStringList problems;    // one line per member or archive that was skipped
    };

    explicit PakExtractor(qint64 maxMemberSize = defaultMaxMemberSize);

    // The member-name patterns, in the order unzip is run with them.
    static const QStringList& selections();
    // Whether a member path is matched by one of the selections.
    static bool isSelected(const QString& memberPath);
    // Whether the member path stays inside the destination (no "..", not absolute).
    static bool isSafeMemberPath(const QString& memberPath);

    // The script members (all but the level shots) take their size from budget, when one is
    // given: the mod's scripts together stay within it, the rest is skipped.
    Report extract(const QString& pakPath, const QString& destinationDir,
                   ScriptBudget* budget = nullptr) const;

    // Removes the files an extraction that was killed left behind below dir (links are not
    // followed); the number removed.
    static int removeLeftoverParts(const QString& dir);

private:
    qint64 m_maxMemberSize;
};
