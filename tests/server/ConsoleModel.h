#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// How ioquake3's console reads a script, modelled independently of the code under test:
// commands end at a line break, and outside double quotes at ';'; "//" comments out the
// rest of the line and "/*" everything up to "*/", over line breaks too; a command longer
// than the line buffer (1023 characters) is cut and its rest runs as the next command; a
// NUL ends the script. Each command comes back as its tokens (quoted tokens without
// escapes); commands without tokens are left out.
namespace ConsoleModel {

inline QStringList tokens(const QByteArray& line)
{
    QStringList out;
    const char* t = line.constData();
    while (true) {
        while (true) {
            while (*t && *t <= ' ')
                ++t;
            if (!*t)
                return out;
            if (t[0] == '/' && t[1] == '/')
                return out;
            if (t[0] == '/' && t[1] == '*') {
                while (*t && (t[0] != '*' || t[1] != '/'))
                    ++t;
                if (!*t)
                    return out;
                t += 2;
            } else {
                break;
            }
        }
        QByteArray token;
        if (*t == '"') {
            ++t;
            while (*t && *t != '"')
                token += *t++;
            out << QString::fromLatin1(token);
            if (!*t)
                return out;
            ++t;
            continue;
        }
        while (*t > ' ' && *t != '"' && !(t[0] == '/' && (t[1] == '/' || t[1] == '*')))
            token += *t++;
        out << QString::fromLatin1(token);
        if (!*t)
            return out;
    }
}

inline QList<QStringList> commands(QByteArray script)
{
    constexpr qsizetype maxCommandLine = 1024;
    if (const qsizetype nul = script.indexOf('\0'); nul >= 0)
        script.truncate(nul);
    QList<QStringList> result;
    bool inStarComment = false;
    bool inSlashComment = false;
    const qsizetype n = script.size();
    qsizetype start = 0;
    while (start < n) {
        int quotes = 0;
        qsizetype i = start;
        for (; i < n; ++i) {
            const char c = script[i];
            if (c == '"')
                ++quotes;
            if (!(quotes & 1)) {
                if (i < n - 1) {
                    const char next = script[i + 1];
                    if (!inStarComment && c == '/' && next == '/') {
                        inSlashComment = true;
                    } else if (!inSlashComment && c == '/' && next == '*') {
                        inStarComment = true;
                    } else if (inStarComment && c == '*' && next == '/') {
                        inStarComment = false;
                        ++i;
                        break;
                    }
                }
                if (!inSlashComment && !inStarComment && c == ';')
                    break;
            }
            if (!inStarComment && (c == '\n' || c == '\r')) {
                inSlashComment = false;
                break;
            }
        }
        const qsizetype length = std::min(i - start, maxCommandLine - 1);
        const QStringList line = tokens(script.mid(start, length));
        if (!line.isEmpty())
            result << line;
        start += length + 1;
    }
    return result;
}

} // namespace ConsoleModel
