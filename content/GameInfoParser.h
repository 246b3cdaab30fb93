#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Reads the game-type list of a mod's "gameinfo.txt":
//
//   gametypes
//   {
//       { "Free For All" 0 }
//       { "Capture the Flag" 4 }
//   }
//
// Each entry is a quoted long name followed by its g_gametype number. Blocks do not nest:
// the first "}" that no new "{" precedes ends the list. Whatever the text holds, the result
// is a (possibly empty) list of entries.
class GameInfoParser
{
public:
    GameInfoParser() = delete;

    struct Entry
    {
        QString name;
        // Everything after the closing quote up to the entry's "}", leading blanks kept
        // (" 4"); trailing white space is not part of it.
        QString numberText;
    };

    struct Result
    {
        QList<Entry> entries;
        // "gametypes" was there but no "{" followed it.
        bool missingLeftBrace = false;
    };

    // Files larger than this are not game-info files; they give no entries.
    static constexpr qint64 maximumFileSize = 1024 * 1024;

    static Result parse(const QString& text);
    // UTF-8 when the bytes are valid UTF-8, else Latin-1 (every byte is a character).
    static QString decode(const QByteArray& bytes);
    // The entry of one "{ ... }" body; none when it lacks two double quotes.
    static std::optional<Entry> parseEntry(QStringView body);
};
