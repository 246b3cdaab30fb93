// The loopback stand-in for the game server that the transport tests rely on.
#include "rcon/RconResponder.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

TEST(RconResponder, SendsEachRequestsDatagramsInScriptOrderUnderLoad)
{
    // Datagrams due at once interleaved with delayed ones, for two requests at a time.
    constexpr int count = 40;
    RconResponder server;
    for (const char* request : {"a", "b"}) {
        QList<RconResponder::Datagram> script;
        for (int i = 0; i < count; ++i)
            script.append({i % 2 == 0 ? 0 : 1 + i % 7,
                           RconResponder::reply(request + QByteArray::number(i))});
        server.answerNextWith(script);
    }
    QUdpSocket client;
    ASSERT_TRUE(client.bind(QHostAddress(QHostAddress::LocalHost), 0));
    QMap<char, QList<int>> received;
    QObject::connect(&client, &QUdpSocket::readyRead, [&] {
        while (client.hasPendingDatagrams()) {
            QByteArray datagram(int(client.pendingDatagramSize()), '\0');
            client.readDatagram(datagram.data(), datagram.size());
            const QByteArray text = datagram.mid(RconResponder::reply({}).size());
            received[text.at(0)].append(text.mid(1).toInt());
        }
    });
    // Load: the event loop is busy for a few milliseconds at a time, so timers fire late and
    // several datagrams come due together.
    QTimer load;
    QObject::connect(&load, &QTimer::timeout, [] {
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < 4) {
        }
    });
    load.start(0);

    for (int request = 0; request < 2; ++request)
        client.writeDatagram("\xff\xff\xff\xffrcon secret status",
                             QHostAddress(QHostAddress::LocalHost), server.port());
    ASSERT_TRUE(waitUntil([&] { return received['a'].size() + received['b'].size() == 2 * count; },
                          30000, 5));
    QList<int> inOrder;
    for (int i = 0; i < count; ++i)
        inOrder.append(i);
    EXPECT_EQ(received['a'], inOrder);
    EXPECT_EQ(received['b'], inOrder);
}
