#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

// A stand-in for a game server's public status protocol on the loopback: answers each
// request with what its script makes of it, each datagram after its delay. By default it
// answers getinfo and getstatus as ioquake3 does, echoing the challenge. Like a real server's,
// its answers arrive only while an event loop runs.
class QueryResponder
{
public:
    struct Datagram
    {
        int delayMs = 0;
        QByteArray bytes;
    };
    // The command word ("getinfo", "getstatus", ...) and the challenge of a request.
    using Script = std::function<QList<Datagram>(const QByteArray& command, const QByteArray& challenge)>;

    explicit QueryResponder(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost))
    {
        m_socket.bind(address, 0);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] { answer(); });
        m_script = [this](const QByteArray& command, const QByteArray& challenge) {
            return standardAnswer(command, challenge);
        };
    }

    quint16 port() const { return m_socket.localPort(); }
    void answerWith(Script script) { m_script = std::move(script); }
    void stayQuiet()
    {
        m_script = [](const QByteArray&, const QByteArray&) { return QList<Datagram>(); };
    }
    const QList<QByteArray>& requests() const { return m_requests; }
    const QList<QHostAddress>& senders() const { return m_senders; }
    int requestsOf(const QByteArray& command) const
    {
        int count = 0;
        for (const QByteArray& request : m_requests)
            if (commandOf(request) == command)
                ++count;
        return count;
    }

    // The parts of a real server's answers, for scripts to build on.
    QByteArray info = "\\game\\baseq3\\voip\\opus\\g_needpass\\0\\pure\\1\\gametype\\0"
                      "\\sv_maxclients\\8\\g_humanplayers\\1\\clients\\3\\mapname\\oa_dm1"
                      "\\hostname\\^1Red ^7Host\\protocol\\68\\gamename\\Quake3Arena";
    QByteArray serverInfo = "\\sv_hostname\\^1Red ^7Host\\version\\ioq3 1.36_GIT\\fraglimit\\20"
                            "\\g_gametype\\0\\mapname\\oa_dm1\\sv_maxclients\\8\\g_needpass\\0";
    QByteArray playerLines = "3 48 \"^1Big^7Gun\"\n0 0 \"Sarge\"\n0 0 \"Grunt\"\n";

    static QByteArray infoResponse(const QByteArray& info, const QByteArray& challenge)
    {
        return "\xff\xff\xff\xffinfoResponse\n" + info + "\\challenge\\" + challenge;
    }
    static QByteArray statusResponse(const QByteArray& serverInfo, const QByteArray& challenge,
                                     const QByteArray& players)
    {
        return "\xff\xff\xff\xffstatusResponse\n\\challenge\\" + challenge + serverInfo + '\n' + players;
    }
    QList<Datagram> standardAnswer(const QByteArray& command, const QByteArray& challenge) const
    {
        if (command == "getinfo")
            return {{0, infoResponse(info, challenge)}};
        if (command == "getstatus")
            return {{0, statusResponse(serverInfo, challenge, playerLines)}};
        return {};
    }

    static QByteArray commandOf(const QByteArray& request)
    {
        const QByteArray text = request.mid(4);
        const qsizetype blank = text.indexOf(' ');
        return blank < 0 ? text : text.left(blank);
    }
    static QByteArray challengeOf(const QByteArray& request)
    {
        const QByteArray text = request.mid(4);
        const qsizetype blank = text.indexOf(' ');
        return blank < 0 ? QByteArray() : text.mid(blank + 1);
    }

private:
    void answer()
    {
        while (m_socket.hasPendingDatagrams()) {
            QByteArray request(int(m_socket.pendingDatagramSize()), '\0');
            QHostAddress sender;
            quint16 senderPort = 0;
            m_socket.readDatagram(request.data(), request.size(), &sender, &senderPort);
            m_requests.append(request);
            m_senders.append(sender);
            for (const Datagram& datagram : m_script(commandOf(request), challengeOf(request)))
                QTimer::singleShot(datagram.delayMs, Qt::PreciseTimer, &m_socket,
                                   [this, datagram, sender, senderPort] {
                                       m_socket.writeDatagram(datagram.bytes, sender, senderPort);
                                   });
        }
    }

    QUdpSocket m_socket;
    Script m_script;
    QList<QByteArray> m_requests;
    QList<QHostAddress> m_senders;
};
