#include "fuzz/FuzzSupport.h"

#include "config/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

QTemporaryDir& temporaryHome()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/voranth-fuzz-XXXXXX"));
    return dir;
}

// The parsers warn about what they skip; millions of such lines would only slow the run.
void dropMessagesButFatal(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

} // namespace

namespace FuzzSupport {

void initialize(int* argc, char*** argv)
{
    // Qt is given a copy of the program name only: libFuzzer reads the arguments itself.
    static int qtArgc = 1;
    static char* qtArgv[] = {*argc > 0 ? (*argv)[0] : nullptr, nullptr};
    const QString path = home();
    if (path.isEmpty())
        fail("cannot make a temporary home directory");
    // Before Qt or the core reads a path: never the real home directory.
    qputenv("HOME", QFile::encodeName(path));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path + QStringLiteral("/.local/share")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path + QStringLiteral("/.config")));
    qputenv("VORANTH_GAME_PREFS_DIR", QFile::encodeName(path + QStringLiteral("/gameprefs")));
    if (!qEnvironmentVariableIsSet("VORANTH_FUZZ_VERBOSE"))
        qInstallMessageHandler(dropMessagesButFatal);
    // Lives as long as the process; the harness never returns to a point where it could go.
    new QCoreApplication(qtArgc, qtArgv);
    QCoreApplication::setOrganizationName(QStringLiteral("Voranth"));
    QCoreApplication::setApplicationName(QStringLiteral("Voranth"));
    UserDefaults::registerDefaults();
}

QString home()
{
    return temporaryHome().isValid() ? temporaryHome().path() : QString();
}

QString directory(const QString& name)
{
    const QString path = home() + QLatin1Char('/') + name;
    if (!QDir().mkpath(path))
        fail("cannot make a directory below the temporary home", path);
    return path;
}

QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write a file below the temporary home", path);
}

void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n%s\n", what, qPrintable(detail.left(2000)));
    std::abort();
}

} // namespace FuzzSupport
