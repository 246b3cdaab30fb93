#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class QUdpSocket;

// What came back for one request.
struct RconReply
{
    // The reply's text, the datagrams' texts after their headers joined in arrival order.
    QByteArray text;
    // The server sent anything at all, also an empty reply packet.
    bool arrived = false;
    // The reply passed replyResetTotal bytes and its beginning was dropped.
    bool truncated = false;
};

// The wire side of the remote console: one UDP socket to the game server, the request
// datagram, and the collection of the reply datagrams.
//
// One exchange at a time: send() puts a request on the wire, and replied() reports its reply
// later, from the event loop. A reply is whatever the server sends until it stays quiet for
// the request's quiet gap, or until it sends an empty reply packet, or until the exchange's
// deadline: a server (or anyone sending from its address) that keeps sending cannot keep an
// exchange going for longer than that. Nothing arriving within firstDatagramWaitMs ends the
// exchange without a reply. Datagrams that arrive between exchanges belong to no request and
// are dropped.
class RconTransport : public QObject
{
    Q_OBJECT

public:
    // The request datagram is built in a buffer of this size, terminating zero included.
    static constexpr int requestBufferSize = 65535;
    // Every reply datagram starts with this many header bytes (0xFF x4, "print\n").
    static constexpr int replyHeaderSize = 10;
    // When the bytes of one reply pass this total, the text collected so far is dropped.
    static constexpr int replyResetTotal = 60000;
    // How long an exchange waits for the first datagram of its reply.
    static constexpr int firstDatagramWaitMs = 1100;
    // How long one exchange may last at most, from its request to the end of its reply.
    static constexpr int exchangeDeadlineMs = 3000;

    explicit RconTransport(QObject* parent = nullptr);
    ~RconTransport() override;

    // 0xFF x4, "rcon ", password, a blank, command, a zero byte; nothing when that would not
    // fit the request buffer.
    static std::optional<QByteArray> requestDatagram(const QByteArray& password,
                                                     const QByteArray& command);

    // Opens a socket that talks to the server at address and port. Reopening closes the old
    // socket first (an exchange in flight ends without a reply). False, with the reason in
    // errorString(), when no socket can be made.
    bool open(const QHostAddress& address, quint16 port);
    // False when no socket was open.
    bool close();
    bool isOpen() const { return m_socket != nullptr; }
    QString errorString() const { return m_errorString; }
    // The local port the requests leave from (0 while closed).
    quint16 localPort() const;

    // Sends one request and starts its exchange; quietGapMicroseconds is how long the server
    // may stay quiet between the datagrams of its reply. False, reporting nothing later, when
    // the socket is closed, an exchange is in flight, the request does not fit or the send
    // fails.
    bool send(const QByteArray& password, const QByteArray& command, int quietGapMicroseconds);
    bool busy() const { return m_exchanging; }

signals:
    // The end of the exchange of the last send(). The transport may be destroyed by a
    // receiver.
    void replied(const RconReply& reply);

private:
    void readPendingDatagrams();
    void takeDatagram(qint64 size);
    void finishExchange();
    void forgetPendingDatagrams();
    void restartQuietGap();

    std::unique_ptr<QUdpSocket> m_socket;
    QHostAddress m_serverAddress;
    quint16 m_serverPort = 0;
    QString m_errorString;

    QByteArray m_request;  // the request buffer, allocated once
    QByteArray m_datagram; // one incoming datagram, allocated once
    RconReply m_reply;     // the reply being collected
    int m_replyTotal = 0;
    bool m_exchanging = false;
    int m_quietGapMicroseconds = 0;
    QTimer m_firstDatagramTimer;
    QTimer m_quietGapTimer;
    QDeadlineTimer m_exchangeDeadline;
};
