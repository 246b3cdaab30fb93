#include "rcon/PlayerStatus.h"

QString PlayerStatus::stringStrippedFromCaretChars(const QString& text)
{
    QString stripped;
    stripped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('^'))
            ++i; // the caret and the colour character after it
        else
            stripped.append(text.at(i));
    }
    return stripped;
}

QString PlayerStatus::description() const
{
    return QStringLiteral("name:%1\nping: %2\nscore: %3\nslot: %4\naddress: %5\n")
        .arg(m_name, m_ping, m_score, QString::number(m_slot), m_address);
}
