#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class QEventLoop;
class QUdpSocket;

// The wire side of the remote console: one UDP socket to the game server, the request
// datagram, and the collection of the reply datagrams.
//
// A reply is whatever the server sends until it stays quiet for the quiet gap of the last
// request, or until it sends an empty reply packet, or until the exchange's deadline: a
// server (or anyone sending from its address) that keeps sending cannot keep a wait going
// for longer than that; the reply so far is then the reply. Replies are collected whenever the event
// loop runs, also between requests; a new request forgets anything collected or queued
// before it. Waiting for a reply runs a nested event loop, so timers, painting and input go
// on meanwhile.
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
    // How long a wait lasts when no reply datagram comes.
    static constexpr int firstDatagramWaitMs = 1100;
    // The quiet gap until the first request sets its own, in microseconds.
    static constexpr int defaultQuietGapMicroseconds = 400000;
    // How long one exchange may last at most, from its request (or, for a reply that comes
    // unasked, from its first datagram) to the end of its reply.
    static constexpr int exchangeDeadlineMs = 3000;

    explicit RconTransport(QObject* parent = nullptr);
    ~RconTransport() override;

    // 0xFF x4, "rcon ", password, a blank, command, a zero byte; nothing when that would not
    // fit the request buffer.
    static std::optional<QByteArray> requestDatagram(const QByteArray& password,
                                                     const QByteArray& command);

    // Opens a socket that talks to the server at address and port. Reopening closes the old
    // socket first. False, with the reason in errorString(), when no socket can be made.
    bool open(const QHostAddress& address, quint16 port);
    // False when no socket was open.
    bool close();
    bool isOpen() const { return m_socket != nullptr; }
    QString errorString() const { return m_errorString; }
    // The local port the requests leave from (0 while closed).
    quint16 localPort() const;

    // Sends one request after forgetting every earlier reply; quietGapMicroseconds is how
    // long the server may stay quiet between the datagrams of its reply. False when the
    // socket is closed, the request does not fit, a wait is running, or the send fails.
    bool send(const QByteArray& password, const QByteArray& command, int quietGapMicroseconds);

    // Waits for the reply to the last request: at most firstDatagramWaitMs for its first
    // datagram, then until the reply is complete. Answers the reply text, empty when none
    // came. A reply collected before the call is answered at once. The text is handed over
    // once: the next receive without a send starts empty.
    QByteArray receive();

    // Whether the last receive() ended with a reply from the server, also an empty one; false
    // when it ended in silence.
    bool replyArrived() const { return m_replyArrived; }

    bool waiting() const { return m_waitLoop != nullptr; }
    int quietGapMicroseconds() const { return m_quietGapMicroseconds; }

private:
    void readPendingDatagrams();
    void takeDatagram(qint64 size);
    void startCollecting();
    void finishCollecting();
    void discardEverything();
    void restartQuietGap();
    void startExchange();

    std::unique_ptr<QUdpSocket> m_socket;
    QHostAddress m_serverAddress;
    quint16 m_serverPort = 0;
    QString m_errorString;

    QByteArray m_request;  // the request buffer, allocated once
    QByteArray m_datagram; // one incoming datagram, allocated once
    QByteArray m_reply;    // the collected reply text
    int m_replyTotal = 0;
    bool m_collecting = false;
    bool m_gotResponse = false;
    bool m_replyArrived = false;
    int m_quietGapMicroseconds = defaultQuietGapMicroseconds;
    QTimer m_quietGapTimer;
    QDeadlineTimer m_exchangeDeadline;

    QEventLoop* m_waitLoop = nullptr;
    // Shared with a running wait, which must not touch the object once it is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
