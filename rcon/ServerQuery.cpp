#include "rcon/ServerQuery.h"

#include "config/CommonData.h"
#include "config/StringTable.h"
#include "config/VisibleText.h"
#include "format/Logging.h"
#include "rcon/QueryReplyParser.h"

#include <QHostInfo>
#include <QPointer>
#include <QRandomGenerator>
#include <QUdpSocket>

namespace {

constexpr int challengeLength = 12;
// The largest UDP datagram; a larger reply cannot come.
constexpr qsizetype datagramBufferSize = 65536;
constexpr int turnRetryMs = 50;
// Datagrams read in one go; the rest wait for the next round of the event loop.
constexpr int datagramsPerRead = 256;

QByteArray freshChallenge()
{
    // Letters and digits only: the engine echoes the challenge inside an info string, which
    // cannot hold a backslash, a semicolon or a quote.
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray challenge(challengeLength, '\0');
    for (char& c : challenge)
        c = alphabet[QRandomGenerator::global()->bounded(int(sizeof(alphabet) - 1))];
    return challenge;
}

QList<QHostAddress> localAddressesFor(const QHostAddress& server)
{
    const bool ipv6 = server.protocol() == QAbstractSocket::IPv6Protocol;
    if (server.isLoopback())
        return ipv6 ? QList<QHostAddress>{QHostAddress(QHostAddress::LocalHostIPv6)}
                    : QList<QHostAddress>{QHostAddress(QStringLiteral("127.0.0.2")),
                                          QHostAddress(QHostAddress::LocalHost)};
    return {ipv6 ? QHostAddress(QHostAddress::AnyIPv6) : QHostAddress(QHostAddress::AnyIPv4)};
}

// A server told to listen on every address answers on this machine's loopback.
QHostAddress reachableAddress(const QHostAddress& address)
{
    if (address == QHostAddress(QHostAddress::AnyIPv4))
        return QHostAddress(QHostAddress::LocalHost);
    if (address == QHostAddress(QHostAddress::AnyIPv6))
        return QHostAddress(QHostAddress::LocalHostIPv6);
    return address;
}

} // namespace

RconPacer::Allowance ServerQuery::allowance()
{
    return RconPacer::Allowance();
}

QString ServerQuery::defaultLedgerPath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/QueryPacing.ledger");
}

ServerQuery::ServerQuery(const QString& host, quint16 port, QObject* parent)
    : ServerQuery(host, port, Options(), parent)
{}

ServerQuery::ServerQuery(const QString& host, quint16 port, Options options, QObject* parent)
    : QObject(parent), m_host(host.trimmed()), m_port(port), m_options(std::move(options))
{
    m_options.timeoutMs = qMax(1, m_options.timeoutMs);
    for (const Request request : {Request::Info, Request::Status}) {
        Exchange& ex = exchange(request);
        for (QTimer* timer : {&ex.answerTimer, &ex.resendTimer, &ex.turnTimer}) {
            timer->setSingleShot(true);
            timer->setTimerType(Qt::PreciseTimer);
        }
        connect(&ex.answerTimer, &QTimer::timeout, this,
                [this, request] { finish(request, Failure::NoAnswer); });
        connect(&ex.resendTimer, &QTimer::timeout, this, [this, request] { resend(request); });
        connect(&ex.turnTimer, &QTimer::timeout, this, [this, request] { proceed(request); });
    }
}

ServerQuery::~ServerQuery()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    // A slot of ours may delete the query while the socket is still telling of a datagram.
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket.release()->deleteLater();
    }
}

bool ServerQuery::requestInfo()
{
    return start(Request::Info);
}

bool ServerQuery::requestStatus()
{
    return start(Request::Status);
}

bool ServerQuery::isRunning(Request request) const
{
    return exchange(request).active;
}

bool ServerQuery::anyActive() const
{
    return m_exchanges[0].active || m_exchanges[1].active;
}

quint16 ServerQuery::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

bool ServerQuery::start(Request request)
{
    Exchange& ex = exchange(request);
    if (ex.active)
        return false;
    if (!anyActive())
        m_datagramsThisExchange = 0;
    ex.active = true;
    ex.sent = false;
    ex.challenge = freshChallenge();
    ex.datagram = request == Request::Info ? QueryReplyParser::infoRequest(ex.challenge)
                                           : QueryReplyParser::statusRequest(ex.challenge);
    // Every outcome comes after the call returns.
    QMetaObject::invokeMethod(this, [this, request] { proceed(request); }, Qt::QueuedConnection);
    return true;
}

void ServerQuery::proceed(Request request)
{
    Exchange& ex = exchange(request);
    if (!ex.active || ex.sent)
        return;
    if (m_address.isNull()) {
        startLookup();
        return;
    }
    if (!m_socket && !openSocket()) {
        finish(request, Failure::SocketError);
        return;
    }
    const qint64 delay = m_pacer->delayBefore(m_options.traffic);
    if (delay < 0) {
        finish(request, Failure::GaveWay);
        return;
    }
    if (delay == 0 && m_pacer->take(m_options.traffic)) {
        ex.waiting.reset();
        send(request);
        return;
    }
    if (m_options.traffic == RconPacer::Traffic::Poll) {
        finish(request, Failure::GaveWay);
        return;
    }
    waitForTurn(request, delay);
}

void ServerQuery::waitForTurn(Request request, qint64 delayMs)
{
    Exchange& ex = exchange(request);
    if (!ex.waiting)
        ex.waiting = std::make_unique<RconPacer::Waiting>(*m_pacer);
    ex.turnTimer.start(int(qBound(qint64(1), delayMs, qint64(60000))) + (delayMs == 0 ? turnRetryMs : 0));
}

void ServerQuery::startLookup()
{
    if (m_lookupId >= 0)
        return;
    QHostAddress literal;
    if (m_host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        useAddress(QHostAddress(QHostAddress::LocalHost));
        return;
    }
    if (literal.setAddress(m_host)) {
        useAddress(reachableAddress(literal));
        return;
    }
    m_lookupId = QHostInfo::lookupHost(m_host, this, &ServerQuery::lookedUp);
}

void ServerQuery::lookedUp(const QHostInfo& info)
{
    m_lookupId = -1;
    const QList<QHostAddress> found = info.addresses();
    if (info.error() != QHostInfo::NoError || found.isEmpty()) {
        finishAll(Failure::HostNotFound);
        return;
    }
    QHostAddress chosen = found.first();
    for (const QHostAddress& candidate : found) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
            chosen = candidate;
            break;
        }
    }
    useAddress(reachableAddress(chosen));
}

void ServerQuery::useAddress(const QHostAddress& address)
{
    m_address = address;
    m_pacer = m_options.pacer;
    if (!m_pacer) {
        const QString key = m_address.toString() + QLatin1Char(':') + QString::number(m_port);
        m_pacer = RconPacer::shared(key, defaultLedgerPath(), allowance());
    }
    for (const Request request : {Request::Info, Request::Status})
        proceed(request);
}

bool ServerQuery::openSocket()
{
    auto socket = std::make_unique<QUdpSocket>();
    bool bound = false;
    for (const QHostAddress& local : localAddressesFor(m_address)) {
        if (socket->bind(local, 0)) {
            bound = true;
            break;
        }
    }
    if (!bound) {
        m_errorString = socket->errorString();
        qCWarning(lcRcon, "query: no socket: %s", qPrintable(m_errorString));
        return false;
    }
    connect(socket.get(), &QUdpSocket::readyRead, this, &ServerQuery::readPendingDatagrams);
    m_socket = std::move(socket);
    m_buffer = QByteArray(datagramBufferSize, '\0');
    return true;
}

void ServerQuery::send(Request request)
{
    Exchange& ex = exchange(request);
    if (m_socket->writeDatagram(ex.datagram, m_address, m_port) != ex.datagram.size()) {
        m_errorString = m_socket->errorString();
        finish(request, Failure::SocketError);
        return;
    }
    ex.sent = true;
    ex.answerTimer.start(m_options.timeoutMs);
    ex.resendTimer.start(m_options.timeoutMs / 2);
}

void ServerQuery::resend(Request request)
{
    Exchange& ex = exchange(request);
    if (!ex.active || !ex.sent || !m_pacer->take(m_options.traffic))
        return;
    m_socket->writeDatagram(ex.datagram, m_address, m_port);
}

void ServerQuery::readPendingDatagrams()
{
    const QPointer<ServerQuery> self(this);
    for (int read = 0; read < datagramsPerRead && self && m_socket && m_socket->hasPendingDatagrams();
         ++read) {
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size =
            m_socket->readDatagram(m_buffer.data(), m_buffer.size(), &sender, &senderPort);
        if (size < 0)
            break;
        // Anyone may send to our port; only the server's datagrams count.
        if (senderPort != m_port || !sender.isEqual(m_address, QHostAddress::ConvertV4MappedToIPv4))
            continue;
        if (!anyActive())
            continue;
        if (++m_datagramsThisExchange > m_options.limits.datagramsPerExchange) {
            finishAll(Failure::Flood);
            continue;
        }
        if (size > m_options.limits.replyBytes) {
            finishAll(Failure::ReplyTooLarge);
            continue;
        }
        takeDatagram(QByteArrayView(m_buffer.constData(), size));
    }
}

void ServerQuery::takeDatagram(QByteArrayView datagram)
{
    const QPointer<ServerQuery> self(this);
    Exchange& info = exchange(Request::Info);
    if (info.active) {
        const std::optional<ServerInfoReply> reply =
            QueryReplyParser::infoResponse(datagram, m_options.limits);
        if (reply && reply->challenge.toLatin1() == info.challenge) {
            answered(Request::Info);
            emit infoReceived(*reply);
            return;
        }
    }
    if (!self)
        return;
    Exchange& status = exchange(Request::Status);
    if (status.active) {
        const std::optional<ServerStatusReply> reply =
            QueryReplyParser::statusResponse(datagram, m_options.limits);
        if (reply && reply->challenge.toLatin1() == status.challenge) {
            answered(Request::Status);
            emit statusReceived(*reply);
        }
    }
}

void ServerQuery::answered(Request request)
{
    Exchange& ex = exchange(request);
    ex.active = false;
    ex.answerTimer.stop();
    ex.resendTimer.stop();
    ex.turnTimer.stop();
    ex.waiting.reset();
}

void ServerQuery::finish(Request request, Failure failure)
{
    if (!exchange(request).active)
        return;
    answered(request);
    emit failed(request, failure);
}

void ServerQuery::finishAll(Failure failure)
{
    const QPointer<ServerQuery> self(this);
    for (const Request request : {Request::Info, Request::Status}) {
        if (!self)
            return;
        finish(request, failure);
    }
}

QString ServerQuery::failureText(Failure failure, const QString& endpoint, int timeoutMs)
{
    const QString shown = VisibleText::escaped(endpoint);
    switch (failure) {
    case Failure::NoAnswer:
        return rconCommText(QStringLiteral("QueryNoAnswer"),
                            QStringLiteral("Nothing answered at %@ within %@ ms (is a game "
                                           "server running there, and is the port right?)."),
                            {shown, QString::number(timeoutMs)});
    case Failure::HostNotFound:
        return rconCommText(QStringLiteral("QueryHostNotFound"),
                            QStringLiteral("The host of %@ could not be found."), {shown});
    case Failure::SocketError:
        return rconCommText(QStringLiteral("QuerySocketError"),
                            QStringLiteral("No request could be sent to %@."), {shown});
    case Failure::ReplyTooLarge:
        return rconCommText(QStringLiteral("QueryReplyTooLarge"),
                            QStringLiteral("%@ sent a reply too large to be a game server's; "
                                           "it was not read."),
                            {shown});
    case Failure::Flood:
        return rconCommText(QStringLiteral("QueryFlood"),
                            QStringLiteral("%@ sent far more datagrams than one answer has; "
                                           "the query was ended."),
                            {shown});
    case Failure::GaveWay:
        break;
    }
    return rconCommText(QStringLiteral("QueryGaveWay"),
                        QStringLiteral("%@ was asked too often just now; the query was left "
                                       "out."),
                        {shown});
}
