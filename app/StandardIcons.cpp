#include "app/StandardIcons.h"

namespace {

struct Names
{
    const char* theme;
    const char* bundled;
};

Names namesOf(StandardIcons::Action action)
{
    using A = StandardIcons::Action;
    switch (action) {
    case A::New:
        return {"document-new", "new"};
    case A::Copy:
        return {"edit-copy", "copy"};
    case A::Rename:
        return {"edit-rename", "rename"};
    case A::Delete:
        return {"edit-delete", "delete"};
    case A::Start:
        return {"media-playback-start", "start"};
    case A::Stop:
        return {"media-playback-stop", "stop"};
    case A::Preferences:
        return {"preferences-system", "preferences"};
    case A::Quit:
        break;
    }
    return {"application-exit", "quit"};
}

} // namespace

QString StandardIcons::themeName(Action action)
{
    return QLatin1String(namesOf(action).theme);
}

QString StandardIcons::fallbackPath(Action action)
{
    return QStringLiteral(":/resources/app/action-%1.png").arg(QLatin1String(namesOf(action).bundled));
}

QIcon StandardIcons::icon(Action action)
{
    return QIcon::fromTheme(themeName(action), QIcon(fallbackPath(action)));
}
