#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// A Quake III info string: "\key\value\key\value...", as the public status replies carry the
// server's variables. The engine keeps them as bytes; they are read here as UTF-8 where they
// are valid UTF-8 and byte for byte (Latin-1) where not, so every byte shows as something and
// none breaks the text. Colour codes stay as they are.
class InfoString
{
public:
    struct Entry
    {
        QString key;
        QString value;
        bool operator==(const Entry&) const = default;
    };

    struct Limits
    {
        // Entries past this many are left out (and counted).
        int entries = 256;
        // A key or value longer than this many characters is cut.
        int textLength = 1024;
    };

    InfoString() = default;

    // Reads text up to its end, a line feed or a zero byte, whichever comes first. Entries
    // with an empty key are skipped.
    static InfoString parse(QByteArrayView text, const Limits& limits);
    static InfoString parse(QByteArrayView text) { return parse(text, Limits()); }

    const QList<Entry>& entries() const { return m_entries; }
    int entriesLeftOut() const { return m_entriesLeftOut; }
    // The value of the first entry of that key, the key compared without regard to case as
    // the engine compares it; nothing when there is none.
    std::optional<QString> value(QStringView key) const;
    // The value as a whole decimal number (an optional sign and digits); nothing when absent
    // or anything else.
    std::optional<int> integer(QStringView key) const;

    // Bytes of the game's text: UTF-8 when they are valid UTF-8, else one character per byte.
    static QString decoded(QByteArrayView bytes);
    // The text as a person reads it: every caret goes with the character after it (a colour
    // code, "^1Red^7" gives "Red"), a character written as two halves going whole.
    static QString withoutColourCodes(const QString& text);
    // The text cut to at most length characters, never between the halves of a surrogate
    // pair.
    static QString cut(const QString& text, qsizetype length);

private:
    QList<Entry> m_entries;
    int m_entriesLeftOut = 0;
};
