#pragma once

#include "config/ServerConfig.h"
#include "rcon/RconAlerts.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerRateLimit.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUdpSocket>

#include <memory>
#include <optional>

// A game server stand-in on the loopback: answers each request with the next scripted list
// of datagrams, each sent after its delay (counted from the request's arrival). It answers
// only while an event loop runs, as a real server's reply arrives only during a wait.
class RconResponder
{
public:
    struct Datagram
    {
        int delayMs = 0;
        QByteArray bytes;
    };

    RconResponder()
    {
        m_socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] { answer(); });
    }

    // A reply datagram: the out-of-band print header, then text.
    static QByteArray reply(const QByteArray& text) { return "\xff\xff\xff\xffprint\n" + text; }

    quint16 port() const { return m_socket.localPort(); }
    void answerNextWith(const QList<Datagram>& datagrams) { m_scripts.append(datagrams); }
    void answerNextWith(const QByteArray& text) { answerNextWith({{0, reply(text)}}); }
    // Answers every request that has no script of its own with text.
    void answerEveryRequestWith(const QByteArray& text) { m_defaultReply = reply(text); }
    const QList<QByteArray>& requests() const { return m_requests; }
    // The command of a request: the text after the password.
    static QByteArray commandOf(const QByteArray& request)
    {
        const QByteArray text = request.mid(9).chopped(request.endsWith('\0') ? 1 : 0);
        const qsizetype blank = text.indexOf(' ');
        return blank < 0 ? QByteArray() : text.mid(blank + 1);
    }

    // Drops requests past the rate limit as ioquake3 does for each sender address: a burst of
    // burst requests, then one each periodMs, counted in whole periods from the last request.
    void limitRate(int burst, int periodMs)
    {
        m_rateLimit.emplace(burst, periodMs);
        m_clock.start();
    }
    // The requests the rate limit dropped, unanswered.
    const QList<QByteArray>& dropped() const { return m_dropped; }
    quint16 clientPort() const { return m_clientPort; }
    // Sends at once to the client of the last request.
    void sendNow(const QByteArray& bytes)
    {
        m_socket.writeDatagram(bytes, QHostAddress(QHostAddress::LocalHost), m_clientPort);
    }

    // A configuration whose server is this responder.
    ServerConfig config(const QString& password = QStringLiteral("secret")) const
    {
        ServerConfig config;
        config.setConfigName(QStringLiteral("Loopback"));
        config.setServerName(QStringLiteral("Loopback server"));
        config.setRconPassword(password);
        config.setNetIP(QStringLiteral("localhost"));
        config.setNetPort(port());
        return config;
    }
    std::unique_ptr<RemoteControl> client(RemoteControlServices services = {}) const
    {
        return RemoteControl::create(config(), std::move(services));
    }

private:
    void answer()
    {
        while (m_socket.hasPendingDatagrams()) {
            QByteArray request(int(m_socket.pendingDatagramSize()), '\0');
            QHostAddress sender;
            m_socket.readDatagram(request.data(), request.size(), &sender, &m_clientPort);
            m_requests.append(request);
            if (rateLimitExceeded()) {
                m_dropped.append(request);
                continue;
            }
            const QList<Datagram> script = !m_scripts.isEmpty() ? m_scripts.takeFirst()
                                           : m_defaultReply.isEmpty()
                                               ? QList<Datagram>()
                                               : QList<Datagram>{{0, m_defaultReply}};
            const quint16 clientPort = m_clientPort;
            for (const Datagram& datagram : script) {
                QTimer::singleShot(datagram.delayMs, Qt::PreciseTimer, &m_socket,
                                   [this, datagram, sender, clientPort] {
                                       m_socket.writeDatagram(datagram.bytes, sender, clientPort);
                                   });
            }
        }
    }

    bool rateLimitExceeded() { return m_rateLimit && !m_rateLimit->accepts(m_clock.elapsed()); }

    QUdpSocket m_socket;
    QList<QList<Datagram>> m_scripts;
    QByteArray m_defaultReply;
    QList<QByteArray> m_requests;
    QList<QByteArray> m_dropped;
    quint16 m_clientPort = 0;
    std::optional<ServerRateLimit> m_rateLimit;
    QElapsedTimer m_clock;
};

// Records the wrong-password alerts instead of showing them.
class RecordingAlerts : public RconAlerts
{
public:
    struct Shown
    {
        QString title;
        QString message;
    };
    void showRconPasswordError(const QString& title, const QString& message) override
    {
        shown.append({title, message});
    }
    QList<Shown> shown;
};
