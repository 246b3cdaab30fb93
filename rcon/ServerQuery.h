#pragma once

#include "rcon/QueryReplies.h"
#include "rcon/RconPacer.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <array>
#include <memory>

class QUdpSocket;
class QHostInfo;

// Asks any Quake III server what it plays, over the public status protocol that server
// browsers use: "getinfo" for a summary, "getstatus" for every server-info variable and the
// players. No password, and never a remote-console request.
//
// Asynchronous: a request goes out and its answer, or its failure, comes later as a signal;
// nothing waits in a nested event loop. Each kind of request runs once at a time; both may
// run together. A reply counts only when it comes from the address and port asked and echoes
// the request's challenge. A request unanswered after half its time is sent once more (a
// datagram lost, or a server busy with other queries).
//
// The server answers each sender address for a burst of about ten of these (the same count as
// its remote console), then about one a second. Requests are paced per server address by a
// pacer of their own, shared through a ledger of its own by every process of the user. To a
// server on this machine they leave from 127.0.0.2, so that the server counts them apart from
// the remote console's requests from 127.0.0.1 (Linux answers the whole of 127/8 on the
// loopback).
class ServerQuery : public QObject
{
    Q_OBJECT

public:
    enum class Request
    {
        Info,
        Status,
    };
    Q_ENUM(Request)

    enum class Failure
    {
        // Nothing answered within the time.
        NoAnswer,
        HostNotFound,
        // No socket could be made, or the request could not be sent.
        SocketError,
        // A datagram from the server larger than the reply limit.
        ReplyTooLarge,
        // More datagrams from the server than one exchange can have.
        Flood,
        // An automatic request gave way: the server's allowance is kept for others.
        GaveWay,
    };
    Q_ENUM(Failure)

    static constexpr int defaultTimeoutMs = 2000;

    struct Options
    {
        int timeoutMs = defaultTimeoutMs;
        QueryLimits limits;
        // A command waits for its turn; a poll gives way instead.
        RconPacer::Traffic traffic = RconPacer::Traffic::Command;
        // The pacer to use; by default the one of the server's address, shared through the
        // query ledger.
        std::shared_ptr<RconPacer> pacer;
    };

    // What the queries of one address may use of the server's allowance.
    static RconPacer::Allowance allowance();
    // appSupportQ3VXDir/QueryPacing.ledger: apart from the remote console's ledger.
    static QString defaultLedgerPath();

    ServerQuery(const QString& host, quint16 port, QObject* parent = nullptr);
    ServerQuery(const QString& host, quint16 port, Options options, QObject* parent = nullptr);
    ~ServerQuery() override;

    // Starts a request; its outcome comes as infoReceived() or statusReceived(), or failed(),
    // never before this returns. False, starting nothing, while one of that kind runs.
    bool requestInfo();
    bool requestStatus();
    bool isRunning(Request request) const;

    const QString& host() const { return m_host; }
    quint16 port() const { return m_port; }
    // The server's address once the host is resolved; null before.
    const QHostAddress& address() const { return m_address; }
    // The local port requests leave from (0 before the first one).
    quint16 localPort() const;
    const Options& options() const { return m_options; }
    // The system's reason for the last SocketError.
    const QString& errorString() const { return m_errorString; }

    // The message that tells a person about a failure, from the string table.
    static QString failureText(Failure failure, const QString& endpoint, int timeoutMs);

signals:
    void infoReceived(const ServerInfoReply& reply);
    void statusReceived(const ServerStatusReply& reply);
    void failed(ServerQuery::Request request, ServerQuery::Failure failure);

private:
    struct Exchange
    {
        bool active = false;
        bool sent = false;
        QByteArray challenge;
        QByteArray datagram;
        QTimer answerTimer;
        QTimer resendTimer;
        QTimer turnTimer;
        std::unique_ptr<RconPacer::Waiting> waiting;
    };

    bool start(Request request);
    void proceed(Request request);
    void startLookup();
    void lookedUp(const QHostInfo& info);
    void useAddress(const QHostAddress& address);
    bool openSocket();
    void waitForTurn(Request request, qint64 delayMs);
    void send(Request request);
    void resend(Request request);
    void readPendingDatagrams();
    void takeDatagram(QByteArrayView datagram);
    void finish(Request request, Failure failure);
    void finishAll(Failure failure);
    void answered(Request request);
    Exchange& exchange(Request request) { return m_exchanges[size_t(request)]; }
    const Exchange& exchange(Request request) const { return m_exchanges[size_t(request)]; }
    bool anyActive() const;

    QString m_host;
    quint16 m_port = 0;
    Options m_options;
    QHostAddress m_address;
    int m_lookupId = -1;
    std::unique_ptr<QUdpSocket> m_socket;
    std::shared_ptr<RconPacer> m_pacer;
    QByteArray m_buffer;
    QString m_errorString;
    int m_datagramsThisExchange = 0;
    std::array<Exchange, 2> m_exchanges;
};
