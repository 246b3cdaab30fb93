#include "server/RunningConfigGuard.h"

#include "config/StringTable.h"
#include "config/VisibleText.h"

std::optional<ServerLauncher::Alert> RunningConfigGuard::refusal(const QString& name,
                                                                 Change change)
{
    if (!ServerLauncher::runningServerOf(name))
        return std::nullopt;
    const QStringList ok{QStringLiteral("OK")};
    const QString shown = VisibleText::escaped(name);
    switch (change) {
    case Change::Rename:
        return ServerLauncher::Alert{
            rconCommText(QStringLiteral("RenameRunningFileErrorTitle"),
                         QStringLiteral("'%@' is running!"), {shown}),
            rconCommText(QStringLiteral("RenameRunningFileErrorMsg"),
                         QStringLiteral("Quit its server before renaming it: the running server "
                                        "is known by this name.")),
            ok};
    case Change::Delete:
        return ServerLauncher::Alert{
            rconCommText(QStringLiteral("DeleteRunningFileErrorTitle"),
                         QStringLiteral("'%@' is running!"), {shown}),
            rconCommText(QStringLiteral("DeleteRunningFileErrorMsg"),
                         QStringLiteral("Please do 'Quit Server' or 'Run Config' for another "
                                        "config before deleting the selected config.")),
            ok};
    }
    return std::nullopt;
}
