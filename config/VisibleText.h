#pragma once

#include <QString>

// Text from a file, a user or a server, made safe to show on a terminal or in a message:
// control characters become escapes ("\n", "\t", "\e", "\x07", "\x9b"), so that a line
// break cannot split a row and an escape sequence cannot reach the terminal.
class VisibleText
{
public:
    VisibleText() = delete;

    // Every control character as an escape, and '\\' doubled so that the escapes read back.
    static QString escaped(const QString& text);
    // The same, but line breaks stay: for multi-line replies. A "\r" still shows as an escape.
    static QString escapedKeepingLines(const QString& text);
};
