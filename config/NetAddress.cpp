#include "config/NetAddress.h"

#include "config/StringTable.h"
#include "config/VisibleText.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

constexpr qsizetype maxHostNameLength = 253;

bool isHostName(const QString& text)
{
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9_]([A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?$"));
    QString name = text;
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.isEmpty() || name.size() > maxHostNameLength)
        return false;
    for (const QString& part : name.split(QLatin1Char('.'))) {
        if (!label.match(part).hasMatch())
            return false;
    }
    return true;
}

bool isAddress(const QString& text)
{
    // QHostAddress also takes forms such as "1.2.3" or blanks around; only the plain forms
    // are taken here.
    static const QRegularExpression plain(QStringLiteral("^[0-9A-Fa-f.:]+(%[A-Za-z0-9_.-]+)?$"));
    QHostAddress address;
    return plain.match(text).hasMatch() && address.setAddress(text);
}

} // namespace

bool NetAddress::isHostNameOrAddress(const QString& text)
{
    if (text.isEmpty())
        return true;
    if (text.contains(QLatin1Char(':')))
        return isAddress(text);
    static const QRegularExpression dottedDigits(QStringLiteral("^[0-9.]+$"));
    if (dottedDigits.match(text).hasMatch())
        return text.count(QLatin1Char('.')) == 3 && isAddress(text);
    return isHostName(text);
}

QString NetAddress::refusalTitle()
{
    return voCommonText(QStringLiteral("NetIPNotValidTitle"), QStringLiteral("Not a valid address!"));
}

QString NetAddress::refusalMessage(const QString& text)
{
    return voCommonText(QStringLiteral("NetIPNotValidMsg"),
                        QStringLiteral("'%@' is neither a host name nor an IP address. The "
                                       "server's address may hold only letters, digits and the "
                                       "characters '.', '-', '_' and ':' (no blanks)."),
                        {VisibleText::escaped(text)});
}
