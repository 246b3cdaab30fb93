#include "config/ConfigFileName.h"

#include <QFile>

namespace {

const QString prefix = QStringLiteral("VO_");
const QString suffix = QStringLiteral(".config");
const QString keyFileWord = QStringLiteral("q3key");

bool isReplaced(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char('\\') ||
           c == QLatin1Char('"') || c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// The second of two neighbouring '.' or ':' becomes '_'.
void breakPairs(QString& text)
{
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == QLatin1Char('.') || c == QLatin1Char(':')) && text.at(i - 1) == c)
            text[i] = QLatin1Char('_');
    }
}

} // namespace

QString ConfigFileName::forConfigName(const QString& name)
{
    QString fileName = prefix + name + suffix;
    for (qsizetype i = prefix.size(); i < fileName.size() - suffix.size(); ++i) {
        if (isReplaced(fileName.at(i)))
            fileName[i] = QLatin1Char('_');
    }
    // The name's last '.' would meet the one of ".config": that '.' of the name gives way.
    const qsizetype end = fileName.size() - suffix.size();
    if (end > prefix.size() && fileName.at(end - 1) == QLatin1Char('.'))
        fileName[end - 1] = QLatin1Char('_');
    breakPairs(fileName);
    for (qsizetype at = fileName.indexOf(keyFileWord); at >= 0;
         at = fileName.indexOf(keyFileWord, at))
        fileName[at + keyFileWord.size() - 1] = QLatin1Char('_');
    return fileName;
}

qsizetype ConfigFileName::execLength(const QString& fileName)
{
    return QFile::encodeName(fileName).size();
}

bool ConfigFileName::isExecutable(const QString& fileName)
{
    return execLength(fileName) <= maxExecNameLength && !fileName.contains(QStringLiteral("..")) &&
           !fileName.contains(QStringLiteral("::")) && !fileName.contains(keyFileWord);
}
