#pragma once

#include <QIcon>
#include <QString>

// The icons of the window's actions: the desktop's icon theme where it has one, the
// application's own otherwise.
class StandardIcons
{
public:
    enum class Action
    {
        New,
        Copy,
        Rename,
        Delete,
        Start,
        Stop,
        Preferences,
        Quit
    };

    static QIcon icon(Action action);
    // The freedesktop.org name the theme is asked for.
    static QString themeName(Action action);
    // The bundled picture used where the theme has none.
    static QString fallbackPath(Action action);
};
