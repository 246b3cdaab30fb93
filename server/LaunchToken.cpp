#include "server/LaunchToken.h"

#include <QRandomGenerator>

#include <array>

QString LaunchToken::generate()
{
    std::array<quint32, 4> bits{};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bits.data()), sizeof bits).toHex());
}

QByteArray LaunchToken::environmentEntry(const QString& token)
{
    return variableName().toLatin1() + '=' + token.toLatin1();
}
