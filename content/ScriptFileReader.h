#pragma once

#include <QString>

#include <optional>

class ScriptBudget;

// Reads a game script. The scripts are 8-bit text of no declared encoding: a file that is
// valid UTF-8 is read as UTF-8 (a leading byte-order mark dropped), any other file as
// Latin-1, so every byte stands for one character and nothing is lost or refused.
class ScriptFileReader
{
public:
    ScriptFileReader() = delete;

    // The file's text, or nothing when it cannot be opened or read.
    static std::optional<QString> readText(const QString& path);
    // The same, taking the file's size from the budget first: nothing when it does not fit.
    static std::optional<QString> readText(const QString& path, ScriptBudget& budget);
    static QString decode(const QByteArray& bytes);
};
