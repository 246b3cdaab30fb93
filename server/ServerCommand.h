#pragma once

#include <QString>
#include <QStringList>

class ServerConfig;

// The shell command that starts the dedicated server with a configuration file:
//   cd 'ROOT'; ./APP +set fs_basepath '"ROOT"' +set dedicated N +set fs_game '"MOD"'
//   [+set com_hunkmegs M ]+set sv_punkbuster P +set cl_punkbuster P +exec '"FILE"'
// (an application bundle runs its executable and takes the dedicated mode from the file).
// Every value is quoted for the shell so that no quote in it can end the quoting; a value
// without quotes gives the command exactly as above. A port other than 27960 and an address
// other than "localhost" are set on the command line too, since the server opens its socket
// before it executes the file.
//
// The engine joins its arguments with blanks, wrapping one that holds a blank in double
// quotes, and splits the result into commands at every '+' outside double quotes and at every
// line break: a value it gets must not hold a line break, and, since each value brings its own
// quotes, no blank or quote either (see engineCanTake()). So the game directory is passed as
// "." (the command has changed into it) unless it can be passed whole, an address only when
// it is one, and the file name is shaped by ConfigFileName.
class ServerCommand
{
public:
    struct Inputs
    {
        QString gameRoot;
        QString appName;          // the setting "Q3 Dedicated App Name"
        QString bundleExecutable; // the executable's name inside an application bundle
        QString configFile;       // "VO_<name>.config"
    };

    static QString build(const ServerConfig& config, const Inputs& inputs);
    // The same command as a program, relative to the game directory, and its arguments as
    // the shell hands them to it.
    static QString program(const Inputs& inputs);
    static QStringList arguments(const ServerConfig& config, const Inputs& inputs);

    // Whether the engine reads value, within its own quotes, as one value: no blank, no
    // double quote, no control character.
    static bool engineCanTake(const QString& value);

    // Whether the app name names an application bundle ("….app").
    static bool isApplicationBundle(const QString& appName);
    // The executable of a bundle: CFBundleExecutable of its Contents/Info.plist when that can
    // be read, else the bundle's name without ".app".
    static QString bundleExecutableName(const QString& bundlePath);
    // The path of the server executable that a start runs.
    static QString executablePath(const QString& gameRoot, const QString& appName);

    // The text for inside '…' in sh: a "'" becomes '\''.
    static QString shellSingleQuoted(const QString& text);
    // The text for inside "…" in sh: '\\', '"', '$' and '`' get a backslash.
    static QString shellDoubleQuoted(const QString& text);
    // A word for sh: as it is when it holds only safe characters, else single-quoted.
    static QString shellWord(const QString& text);
};
