#include "rcon/RconTransport.h"
#include "format/Logging.h"

#include <QEventLoop>
#include <QUdpSocket>

#include <cstring>

namespace {

constexpr char requestPrefix[] = "\xff\xff\xff\xffrcon ";
constexpr qsizetype requestPrefixSize = sizeof(requestPrefix) - 1;
// The blank between password and command and the terminating zero byte.
constexpr qsizetype requestSeparatorsSize = 2;

// Writes the request into buffer (requestBufferSize bytes); its length, or -1 when it does
// not fit.
qsizetype writeRequest(char* buffer, const QByteArray& password, const QByteArray& command)
{
    const qsizetype length =
        requestPrefixSize + password.size() + command.size() + requestSeparatorsSize;
    if (length > RconTransport::requestBufferSize)
        return -1;
    char* out = buffer;
    std::memcpy(out, requestPrefix, requestPrefixSize);
    out += requestPrefixSize;
    std::memcpy(out, password.constData(), password.size());
    out += password.size();
    *out++ = ' ';
    std::memcpy(out, command.constData(), command.size());
    out += command.size();
    *out = '\0';
    return length;
}

QHostAddress localBindAddress(const QHostAddress& server)
{
    const bool ipv6 = server.protocol() == QAbstractSocket::IPv6Protocol;
    if (server.isLoopback())
        return ipv6 ? QHostAddress(QHostAddress::LocalHostIPv6)
                    : QHostAddress(QHostAddress::LocalHost);
    return ipv6 ? QHostAddress(QHostAddress::AnyIPv6) : QHostAddress(QHostAddress::AnyIPv4);
}

} // namespace

RconTransport::RconTransport(QObject* parent)
    : QObject(parent), m_request(requestBufferSize, '\0'), m_datagram(requestBufferSize, '\0')
{
    // Room for a reply just below the reset total plus one datagram that crosses it.
    m_reply.reserve(replyResetTotal + requestBufferSize);
    m_quietGapTimer.setSingleShot(true);
    m_quietGapTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_quietGapTimer, &QTimer::timeout, this, &RconTransport::finishCollecting);
}

RconTransport::~RconTransport()
{
    *m_alive = false;
    if (m_waitLoop)
        m_waitLoop->quit();
}

std::optional<QByteArray> RconTransport::requestDatagram(const QByteArray& password,
                                                         const QByteArray& command)
{
    QByteArray buffer(requestBufferSize, '\0');
    const qsizetype length = writeRequest(buffer.data(), password, command);
    if (length < 0)
        return std::nullopt;
    buffer.truncate(length);
    return buffer;
}

bool RconTransport::open(const QHostAddress& address, quint16 port)
{
    close();
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(localBindAddress(address), 0)) {
        m_errorString = socket->errorString();
        return false;
    }
    connect(socket.get(), &QUdpSocket::readyRead, this, &RconTransport::readPendingDatagrams);
    m_socket = std::move(socket);
    m_serverAddress = address;
    m_serverPort = port;
    m_errorString.clear();
    return true;
}

bool RconTransport::close()
{
    if (!m_socket)
        return false;
    discardEverything();
    m_socket.reset();
    if (m_waitLoop)
        m_waitLoop->quit();
    return true;
}

quint16 RconTransport::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

bool RconTransport::send(const QByteArray& password, const QByteArray& command,
                         int quietGapMicroseconds)
{
    if (!m_socket || m_waitLoop) {
        qCWarning(lcRcon, "send() error!");
        return false;
    }
    const qsizetype length = writeRequest(m_request.data(), password, command);
    if (length < 0) {
        qCWarning(lcRcon, "send() error! The request does not fit in %d bytes.", requestBufferSize);
        return false;
    }
    discardEverything();
    startExchange();
    m_quietGapMicroseconds = qMax(0, quietGapMicroseconds);
    if (m_socket->writeDatagram(m_request.constData(), length, m_serverAddress, m_serverPort) !=
        length) {
        qCWarning(lcRcon, "send() error! %s", qPrintable(m_socket->errorString()));
        return false;
    }
    return true;
}

QByteArray RconTransport::receive()
{
    if (!m_gotResponse && (m_socket || m_collecting) && !m_waitLoop) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        // A reply that started before the deadline is collected to its end.
        connect(&deadline, &QTimer::timeout, this, [this] {
            if (!m_collecting && m_waitLoop)
                m_waitLoop->quit();
        });
        m_waitLoop = &loop;
        deadline.start(firstDatagramWaitMs);
        readPendingDatagrams();
        const std::shared_ptr<bool> alive = m_alive;
        if (!m_gotResponse)
            loop.exec();
        if (!*alive)
            return {};
        m_waitLoop = nullptr;
    }
    m_replyArrived = m_gotResponse;
    m_gotResponse = false;
    if (m_collecting)
        return {};
    QByteArray text(m_reply.constData(), m_reply.size());
    m_reply.truncate(0);
    return text;
}

void RconTransport::readPendingDatagrams()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size =
            m_socket->readDatagram(m_datagram.data(), m_datagram.size(), &sender, &senderPort);
        if (size < 0) {
            qCWarning(lcRcon, "recv error");
            break;
        }
        // A connected socket would never see these: datagrams from anyone but the server.
        if (senderPort != m_serverPort || sender != m_serverAddress)
            continue;
        takeDatagram(size);
    }
}

void RconTransport::takeDatagram(qint64 size)
{
    if (!m_collecting)
        startCollecting();
    m_replyTotal += int(size);
    if (m_replyTotal > replyResetTotal) {
        m_reply.truncate(0);
        m_replyTotal = 0;
    }
    if (size > replyHeaderSize) {
        const char* text = m_datagram.constData() + replyHeaderSize;
        m_reply.append(text, qstrnlen(text, uint(size - replyHeaderSize)));
    } else if (size == replyHeaderSize) {
        finishCollecting(); // an empty reply packet ends the reply
        return;
    }
    if (m_exchangeDeadline.hasExpired())
        finishCollecting();
    else
        restartQuietGap();
}

void RconTransport::startExchange()
{
    m_exchangeDeadline.setRemainingTime(exchangeDeadlineMs, Qt::PreciseTimer);
}

void RconTransport::startCollecting()
{
    // A reply that comes unasked gets a deadline of its own.
    if (m_exchangeDeadline.hasExpired())
        startExchange();
    m_reply.truncate(0);
    m_replyTotal = 0;
    m_gotResponse = false;
    m_collecting = true;
}

void RconTransport::finishCollecting()
{
    m_quietGapTimer.stop();
    m_collecting = false;
    m_gotResponse = true;
    if (m_waitLoop)
        m_waitLoop->quit();
}

void RconTransport::discardEverything()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        if (m_socket->readDatagram(m_datagram.data(), m_datagram.size()) < 0)
            break;
    }
    m_quietGapTimer.stop();
    m_collecting = false;
    m_gotResponse = false;
    m_reply.truncate(0);
    m_replyTotal = 0;
}

void RconTransport::restartQuietGap()
{
    const qint64 gapMs = (m_quietGapMicroseconds + 999) / 1000;
    m_quietGapTimer.start(int(qMin(gapMs, m_exchangeDeadline.remainingTime())));
}
