#pragma once

#include <QString>

// Text for the game's console, as the dedicated server reads it from a script: 7-bit ASCII,
// one command per line. The console splits commands at line breaks, and outside double
// quotes also at ';'; "/*" outside quotes opens a comment that runs on over the following
// lines and "//" one to the end of the line; a quoted token knows no escape, so a '"' always ends it; and a line longer than the
// console's line buffer is cut, the rest running as a command of its own. These helpers
// shape values so that each one stays what it is: one value on its own line. Every one of
// them returns 7-bit ASCII.
class ConsoleText
{
public:
    ConsoleText() = delete;

    // The longest line, without its line feed, that the console runs as one command.
    static constexpr qsizetype maxLineLength = 1022;

    // Lossy 7-bit form: accents dropped ("é" -> "e"), compatibility forms folded ("ﬁ" -> "fi"),
    // a few letters spelled out ("ß" -> "ss"), every other character a '?'.
    static QString toAscii(const QString& text);

    // A value to write between double quotes: '"' becomes '\'', control characters blanks.
    static QString quotedValue(const QString& text);

    // A value that is read outside quotes, now or when a variable holding it runs (a map name
    // of the rotation): like quotedValue, and ';' becomes a blank, "/*" loses its '*' and "//"
    // its second '/', so that the rest of the command still runs.
    static QString bareValue(const QString& text);

    // A command line as a user typed it: quoted parts are kept, control characters become
    // blanks, and outside quotes ';' becomes a blank and "/*" loses its '*'.
    static QString command(const QString& text);

    // head + value + tail + "\n", the value cut where the line would grow too long.
    static QString line(const QString& head, const QString& value, const QString& tail = {});
};
