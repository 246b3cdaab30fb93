#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <signal.h>
#include <unistd.h>

// A real game client of the engine, Debian's ioquake3 with OpenArena's client modules, playing
// on a server from this machine under a virtual display with Mesa's software renderer. It runs
// in a session of its own, so that ending it ends the display and the client together.
class GameClient
{
public:
    static QString engine() { return QStringLiteral("/usr/lib/ioquake3/ioquake3"); }
    static QString modules() { return QStringLiteral("/usr/lib/openarena/baseoa"); }

    // Whether this machine has all it takes (Debian's ioquake3, openarena and xvfb).
    static bool available()
    {
        return QFile::exists(engine()) && QFile::exists(modules() + "/cgamex86_64.so") &&
               QFile::exists(modules() + "/uix86_64.so") &&
               !QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty();
    }

    GameClient() = default;
    ~GameClient() { stop(); }
    GameClient(const GameClient&) = delete;
    GameClient& operator=(const GameClient&) = delete;

    // A copy of the demo game (links to its paks) with the client's modules beside them, and
    // the client started on it, connecting to the server on this machine's port.
    bool start(const QString& demoGame, const QString& scratch, int port, const QString& name)
    {
        const QString base = scratch + QStringLiteral("/game/baseq3");
        QDir().mkpath(base);
        for (const QFileInfo& entry : QDir(demoGame + "/baseq3").entryInfoList(QDir::Files | QDir::System))
            QFile::link(entry.absoluteFilePath(), base + '/' + entry.fileName());
        for (const char* module : {"cgamex86_64.so", "uix86_64.so"})
            QFile::link(modules() + '/' + module, base + '/' + module);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LIBGL_ALWAYS_SOFTWARE"), QStringLiteral("1"));
        m_process.setProcessEnvironment(environment);
        m_process.setChildProcessModifier([] { ::setsid(); });
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(scratch + QStringLiteral("/client.log"));
        m_process.start(QStringLiteral("xvfb-run"),
                        {"-a", "-s", "-screen 0 640x480x24", engine(), "+set", "com_basegame",
                         "voranthdemo", "+set", "fs_basepath", scratch + "/game", "+set", "fs_game",
                         "baseq3", "+set", "s_initsound", "0", "+set", "vm_cgame", "0", "+set",
                         "vm_ui", "0", "+set", "cl_renderer", "opengl1", "+set", "r_mode", "-1",
                         "+set", "r_customwidth", "640", "+set", "r_customheight", "480", "+set",
                         "r_fullscreen", "0", "+set", "name", name, "+connect",
                         QStringLiteral("127.0.0.1:%1").arg(port)});
        m_logFile = scratch + QStringLiteral("/client.log");
        return m_process.waitForStarted(10000);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        const pid_t session = pid_t(m_process.processId());
        ::kill(-session, SIGTERM);
        if (!m_process.waitForFinished(5000)) {
            ::kill(-session, SIGKILL);
            m_process.waitForFinished(5000);
        }
        // The display server and the client may outlive the script that started them.
        ::kill(-session, SIGKILL);
    }

    QString log() const
    {
        QFile file(m_logFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    QProcess m_process;
    QString m_logFile;
};
