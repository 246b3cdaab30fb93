#include "content/ScriptFileReader.h"

#include "content/ScriptBudget.h"

#include <QFile>
#include <QStringDecoder>

std::optional<QString> ScriptFileReader::readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decode(bytes);
}

std::optional<QString> ScriptFileReader::readText(const QString& path, ScriptBudget& budget)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read no more than was taken, even if the file grows meanwhile.
    const qint64 size = file.size();
    if (!budget.take(path, size))
        return std::nullopt;
    const QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decode(bytes);
}

QString ScriptFileReader::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}
