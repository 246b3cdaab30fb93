#include "rcon/InfoString.h"

#include <QStringDecoder>

namespace {

QByteArrayView untilLineEnd(QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || text[i] == '\0')
            return text.first(i);
    return text;
}

// The field that starts at from, up to the next backslash; from moves past it.
QByteArrayView nextField(QByteArrayView text, qsizetype& from)
{
    const qsizetype start = from;
    while (from < text.size() && text[from] != '\\')
        ++from;
    const QByteArrayView field = text.sliced(start, from - start);
    if (from < text.size())
        ++from; // the backslash that ends it
    return field;
}

} // namespace

InfoString InfoString::parse(QByteArrayView wholeText, const Limits& limits)
{
    InfoString info;
    const QByteArrayView text = untilLineEnd(wholeText);
    qsizetype at = text.startsWith('\\') ? 1 : 0;
    while (at < text.size()) {
        const QByteArrayView key = nextField(text, at);
        const QByteArrayView value = nextField(text, at);
        if (key.isEmpty())
            continue;
        if (info.m_entries.size() >= limits.entries) {
            ++info.m_entriesLeftOut;
            continue;
        }
        info.m_entries.append(
            {cut(decoded(key), limits.textLength), cut(decoded(value), limits.textLength)});
    }
    return info;
}

std::optional<QString> InfoString::value(QStringView key) const
{
    for (const Entry& entry : m_entries)
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return entry.value;
    return std::nullopt;
}

std::optional<int> InfoString::integer(QStringView key) const
{
    const std::optional<QString> text = value(key);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int number = text->toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

QString InfoString::decoded(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QString InfoString::cut(const QString& text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    qsizetype end = qMax<qsizetype>(0, length);
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

QString InfoString::withoutColourCodes(const QString& text)
{
    QString visible;
    visible.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('^')) {
            visible.append(text.at(i));
            continue;
        }
        ++i; // the character after the caret
        if (i + 1 < text.size() && text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return visible;
}
