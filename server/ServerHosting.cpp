#include "server/ServerHosting.h"

#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"

QString ServerHosting::textOf(Way way)
{
    return way == Way::Service ? serviceText() : terminalText();
}

std::optional<ServerHosting::Way> ServerHosting::fromText(const QString& text)
{
    if (text == terminalText())
        return Way::Terminal;
    if (text == serviceText())
        return Way::Service;
    return std::nullopt;
}

ServerHosting::Way ServerHosting::chosen()
{
    return fromText(UserDefaults::stringValue(KZXServerHostingKey)).value_or(Way::Terminal);
}
