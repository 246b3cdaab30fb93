#include "rcon/RconTransport.h"
#include "format/Logging.h"

#include <QPointer>
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

// The text of a reply datagram: what follows its header. The server prints text, never a
// zero byte; one that comes anyway is left out rather than ending the text there.
void appendText(QByteArray& reply, const char* text, qsizetype size)
{
    const char* end = text + size;
    while (text < end) {
        const char* zero = static_cast<const char*>(std::memchr(text, '\0', size_t(end - text)));
        const char* stop = zero ? zero : end;
        reply.append(text, stop - text);
        text = zero ? zero + 1 : end;
    }
}

} // namespace

RconTransport::RconTransport(QObject* parent)
    : QObject(parent), m_request(requestBufferSize, '\0'), m_datagram(requestBufferSize, '\0')
{
    for (QTimer* timer : {&m_firstDatagramTimer, &m_quietGapTimer}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, &RconTransport::finishExchange);
    }
}

RconTransport::~RconTransport() = default;

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
    m_socket.reset();
    if (m_exchanging)
        finishExchange();
    return true;
}

quint16 RconTransport::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

bool RconTransport::send(const QByteArray& password, const QByteArray& command,
                         int quietGapMicroseconds)
{
    if (!m_socket || m_exchanging) {
        qCWarning(lcRcon, "send() error!");
        return false;
    }
    const qsizetype length = writeRequest(m_request.data(), password, command);
    if (length < 0) {
        qCWarning(lcRcon, "send() error! The request does not fit in %d bytes.", requestBufferSize);
        return false;
    }
    // Whatever came before this request answers no request of ours.
    forgetPendingDatagrams();
    if (m_socket->writeDatagram(m_request.constData(), length, m_serverAddress, m_serverPort) !=
        length) {
        qCWarning(lcRcon, "send() error! %s", qPrintable(m_socket->errorString()));
        return false;
    }
    m_reply = RconReply();
    m_replyTotal = 0;
    m_quietGapMicroseconds = qMax(0, quietGapMicroseconds);
    m_exchanging = true;
    m_exchangeDeadline.setRemainingTime(exchangeDeadlineMs, Qt::PreciseTimer);
    m_firstDatagramTimer.start(firstDatagramWaitMs);
    return true;
}

void RconTransport::readPendingDatagrams()
{
    // The datagrams are taken one by one, and the exchange may end (and the receiver of its
    // reply destroy this object) after any of them.
    const QPointer<RconTransport> self(this);
    while (self && m_socket && m_socket->hasPendingDatagrams()) {
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size =
            m_socket->readDatagram(m_datagram.data(), m_datagram.size(), &sender, &senderPort);
        if (size < 0) {
            qCWarning(lcRcon, "recv error");
            break;
        }
        // A connected socket would never see these: datagrams from anyone but the server.
        if (!m_exchanging || senderPort != m_serverPort || sender != m_serverAddress)
            continue;
        takeDatagram(size);
    }
}

void RconTransport::takeDatagram(qint64 size)
{
    m_firstDatagramTimer.stop();
    m_reply.arrived = true;
    m_replyTotal += int(size);
    if (m_replyTotal > replyResetTotal) {
        m_reply.text.truncate(0);
        m_reply.truncated = true;
        m_replyTotal = 0;
    }
    if (size == replyHeaderSize) {
        finishExchange(); // an empty reply packet ends the reply
        return;
    }
    if (size > replyHeaderSize)
        appendText(m_reply.text, m_datagram.constData() + replyHeaderSize, size - replyHeaderSize);
    if (m_exchangeDeadline.hasExpired())
        finishExchange();
    else
        restartQuietGap();
}

void RconTransport::finishExchange()
{
    if (!m_exchanging)
        return;
    m_firstDatagramTimer.stop();
    m_quietGapTimer.stop();
    m_exchanging = false;
    const RconReply reply = std::exchange(m_reply, RconReply());
    m_replyTotal = 0;
    emit replied(reply);
}

void RconTransport::forgetPendingDatagrams()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        if (m_socket->readDatagram(m_datagram.data(), m_datagram.size()) < 0)
            break;
    }
}

void RconTransport::restartQuietGap()
{
    const qint64 gapMs = (m_quietGapMicroseconds + 999) / 1000;
    m_quietGapTimer.start(int(qMin(gapMs, m_exchangeDeadline.remainingTime())));
}
