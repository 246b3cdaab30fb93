#pragma once

#include <QString>

// The small text rewrites the map and bot script parsers are made of. Each returns a new
// string; the argument is never changed.
class ScriptTextCleaner
{
public:
    ScriptTextCleaner() = delete;

    // Removes the first "\n", then the first "\r" (one of each at most).
    static QString stringStrippedFromNewlineChars(const QString& text);
    // Removes the first ";".
    static QString stringStrippedFromSemicolonChars(const QString& text);
    // The text before the first "//" (also one inside quotes); the whole text without one.
    static QString stringStrippedFrom2SlashComment(const QString& text);
    // Turns the rest of a "map" line into the bare map name: drops the first "=", every
    // blank, every double quote, the first ";" and the line end. Tabs stay.
    static QString mapStringStrippedToPrintoutForm(const QString& text);
    // Line filter for Q3 Fortress 2 ".mapinfo" files: keeps the "mapinfo" block and closes it
    // at the first "gameindexDef" line, dropping comments and semicolons on the way.
    static QString removeJunkFromQ3F2File(const QString& text);
    // Puts each known keyword of a one-line block on a line of its own.
    static QString stringFormattedWithNewlineChars(const QString& text);

    // Whether a "//" starts at character 0, 1 or 2: such a line is a comment.
    static bool isCommentLine(const QString& line);
};
