#pragma once

#include "config/ServerConfig.h"
#include "rcon/RconAlerts.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerRateLimit.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <memory>
#include <optional>

// A game server stand-in on the loopback: answers each request with the next scripted list
// of datagrams, each sent after its delay (counted from the request's arrival) and never
// before the datagram ahead of it in the script, so that a reply arrives in script order
// however late the timers fire. It answers only while an event loop runs, as a real
// server's reply arrives only during a wait.
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
            if (!script.isEmpty())
                sendInOrder(std::make_shared<Reply>(script, sender, m_clientPort));
        }
    }

    // The datagrams of one request still to be sent, and when it arrived.
    struct Reply
    {
        Reply(QList<Datagram> datagrams, QHostAddress client, quint16 clientPort)
            : datagrams(std::move(datagrams)), client(std::move(client)), clientPort(clientPort)
        {
            arrival.start();
        }
        QList<Datagram> datagrams;
        qsizetype next = 0;
        QHostAddress client;
        quint16 clientPort;
        QElapsedTimer arrival;
    };

    // Sends every datagram that is due, in script order, then waits for the next one alone:
    // one timer per request at a time, so no timer can overtake another.
    void sendInOrder(const std::shared_ptr<Reply>& reply)
    {
        while (reply->next < reply->datagrams.size() &&
               reply->datagrams.at(reply->next).delayMs <= reply->arrival.elapsed()) {
            m_socket.writeDatagram(reply->datagrams.at(reply->next).bytes, reply->client,
                                   reply->clientPort);
            ++reply->next;
        }
        if (reply->next == reply->datagrams.size())
            return;
        const qint64 wait = reply->datagrams.at(reply->next).delayMs - reply->arrival.elapsed();
        QTimer::singleShot(int(std::max<qint64>(wait, 1)), Qt::PreciseTimer, &m_socket,
                           [this, reply] { sendInOrder(reply); });
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
