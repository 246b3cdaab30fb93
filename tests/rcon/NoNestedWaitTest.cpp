// The window and the remote control never wait for a reply in an event loop of their own:
// every reply arrives in the application's one loop. A nested loop is allowed only where the
// line before it says why it is not such a wait.

#include "support/TestEnvironment.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString justification = QStringLiteral("// Not a wait for a reply:");

QStringList unjustifiedLoops(const QString& folder)
{
    static const QRegularExpression loop(
        QStringLiteral(R"(\bQEventLoop\s+\w+|\bexec\(\)|processEvents\(|waitFor(ReadyRead|)"
                       R"(BytesWritten|Finished|Started)\()"));
    QStringList found;
    QDirIterator files(folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (!loop.match(lines.at(i)).hasMatch() || lines.at(i).trimmed().startsWith("//"))
                continue;
            if (i > 0 && lines.at(i - 1).trimmed().startsWith(justification))
                continue;
            found.append(QStringLiteral("%1:%2: %3").arg(path).arg(i + 1).arg(lines.at(i).trimmed()));
        }
    }
    return found;
}

} // namespace

TEST(NoNestedWait, TheWindowAndTheRemoteControlNeverWaitForAReplyInAnEventLoop)
{
    for (const char* folder : {"rcon", "app"}) {
        const QStringList found =
            unjustifiedLoops(TestEnvironment::sourceDir() + QLatin1Char('/') + QLatin1String(folder));
        EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(NoNestedWait, TheCheckFindsALoopThatWaits)
{
    const QString dir = TestEnvironment::makeScratchDir(QStringLiteral("waits"));
    QFile source(dir + QStringLiteral("/Waits.cpp"));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("void f()\n{\n    QEventLoop loop;\n    loop.exec();\n}\n"
                 "void g()\n{\n    // Not a wait for a reply: a modal dialog.\n    box.exec();\n}\n");
    source.close();
    EXPECT_EQ(unjustifiedLoops(dir).size(), 2);
}
