#include "support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

QTemporaryDir& temporaryHome()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/voranth-test-XXXXXX"));
    return dir;
}

} // namespace

namespace TestEnvironment {

QString home()
{
    // A death test's child process runs in the home of the test that started it.
    static const QString inherited = qEnvironmentVariable("VORANTH_TEST_HOME");
    return inherited.isEmpty() ? temporaryHome().path() : inherited;
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
