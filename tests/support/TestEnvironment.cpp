#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// "voranth-test-TAG-", TAG naming the build tree: tools/check-leftovers.sh finds the processes
// a test of this build left behind by it (the same first eight hex digits of the MD5 of the
// build tree's real path), and leaves another build's tests alone.
QString rootPrefix()
{
    const QString tree = QFileInfo(TestEnvironment::binaryDir()).canonicalFilePath();
    const QByteArray tag =
        QCryptographicHash::hash(tree.toUtf8(), QCryptographicHash::Md5).toHex().left(8);
    return QStringLiteral("voranth-test-%1-").arg(QString::fromLatin1(tag));
}

QTemporaryDir& temporaryRoot()
{
    static QTemporaryDir dir(QDir::tempPath() + QLatin1Char('/') + rootPrefix() +
                             QStringLiteral("XXXXXX"));
    return dir;
}

// Set in the child process of a death test: the directory of the test that started it.
const QString& inheritedRoot()
{
    static const QString inherited = qEnvironmentVariable("VORANTH_TEST_ROOT");
    return inherited;
}

QString& currentHome()
{
    static QString home = TestEnvironment::root();
    return home;
}

void pointEnvironmentAt(const QString& home)
{
    currentHome() = home;
    qputenv("VORANTH_TEST_HOME", home.toLocal8Bit());
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("VORANTH_GAME_PREFS_DIR", (home + QStringLiteral("/gameprefs")).toLocal8Bit());
    // No test reaches the user's own service manager or session bus: a test that needs them
    // starts its own (PrivateServiceManager).
    const QString runtime = home + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + (runtime + QStringLiteral("/bus")).toLocal8Bit());
    // The built programs are found as installed ones are (voranthctl for a timer's unit).
    const QByteArray built = QFile::encodeName(TestEnvironment::binaryDir());
    const QByteArray path = qgetenv("PATH");
    if (!path.startsWith(built + ':'))
        qputenv("PATH", built + ':' + path);
}

} // namespace

namespace TestEnvironment {

QString root()
{
    return inheritedRoot().isEmpty() ? temporaryRoot().path() : inheritedRoot();
}

QString home()
{
    return currentHome();
}

void enterFreshHome(const QString& testName)
{
    QString name = testName;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    const QString home = root() + QStringLiteral("/homes/") + name;
    QDir(home).removeRecursively();
    QDir().mkpath(home);
    pointEnvironmentAt(home);
}

void enterHomeOfParentTest()
{
    pointEnvironmentAt(qEnvironmentVariable("VORANTH_TEST_HOME"));
}

bool isDeathTestChild()
{
    return !inheritedRoot().isEmpty() && !qEnvironmentVariableIsEmpty("VORANTH_TEST_HOME");
}

QString makeScratchDir(const QString& name)
{
    const QString path = home() + QStringLiteral("/scratch/") + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

QString sourceDir()
{
    return QStringLiteral(VORANTH_SOURCE_DIR);
}

QString binaryDir()
{
    return QStringLiteral(VORANTH_BINARY_DIR);
}

} // namespace TestEnvironment
