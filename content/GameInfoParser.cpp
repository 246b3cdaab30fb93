#include "content/GameInfoParser.h"

#include <QStringDecoder>

namespace {

const QLatin1String gametypesWord("gametypes");

QStringView withoutTrailingSpace(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

} // namespace

GameInfoParser::Result GameInfoParser::parse(const QString& text)
{
    Result result;
    const qsizetype word = text.indexOf(gametypesWord, 0, Qt::CaseSensitive);
    if (word < 0)
        return result;
    const qsizetype firstBrace = text.indexOf(QLatin1Char('{'), word + gametypesWord.size());
    if (firstBrace < 0) {
        result.missingLeftBrace = true;
        return result;
    }
    qsizetype position = firstBrace + 1;
    for (;;) {
        const qsizetype right = text.indexOf(QLatin1Char('}'), position);
        if (right < 0)
            break;
        const qsizetype left = text.indexOf(QLatin1Char('{'), position);
        if (left < 0 || left > right)
            break; // this "}" closes the gametypes block
        const QStringView body = QStringView(text).sliced(left + 1, right - left - 1);
        if (std::optional<Entry> entry = parseEntry(body))
            result.entries.append(*entry);
        position = right + 1;
    }
    return result;
}

std::optional<GameInfoParser::Entry> GameInfoParser::parseEntry(QStringView body)
{
    const qsizetype open = body.indexOf(QLatin1Char('"'));
    if (open < 0)
        return std::nullopt;
    const qsizetype close = body.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
        return std::nullopt;
    return Entry{body.sliced(open + 1, close - open - 1).toString(),
                 withoutTrailingSpace(body.sliced(close + 1)).toString()};
}

QString GameInfoParser::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}
