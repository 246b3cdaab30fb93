#pragma once

#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <optional>

// Tests wait for what the asynchronous client reports: the event loop runs until it comes.
namespace RconAsk {

template <typename T>
std::optional<T> wait(const std::function<void(QObject*, std::function<void(const T&)>)>& start,
                      int timeoutMs = 20000)
{
    QEventLoop loop;
    QObject context;
    std::optional<T> outcome;
    start(&context, [&](const T& value) {
        outcome = value;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!outcome)
        loop.exec();
    return outcome;
}

// One request and its reply.
inline RemoteControl::Reply ask(RemoteControl& client, const QString& command,
                                int quietGapMicroseconds = 100000,
                                RconPacer::Traffic traffic = RconPacer::Traffic::Command)
{
    return wait<RemoteControl::Reply>([&](QObject* context, auto done) {
               client.sendRCon(command, quietGapMicroseconds, context, done, traffic);
           })
        .value_or(RemoteControl::Reply());
}

// One command of RemoteCommands and its outcome.
inline RemoteCommands::Sent run(
    RemoteControl& client,
    const std::function<void(RemoteCommands&, RemoteCommands::Done)>& command)
{
    return wait<RemoteCommands::Sent>([&](QObject* context, auto done) {
               RemoteCommands commands(client, context);
               command(commands, done);
           })
        .value_or(RemoteCommands::Sent());
}

inline RemoteCommands::Refresh refresh(RemoteControl& client,
                                       RconPacer::Traffic traffic = RconPacer::Traffic::Command)
{
    return wait<RemoteCommands::Refresh>([&](QObject* context, auto done) {
               RemoteCommands(client, context).refreshStatus(traffic, done);
           })
        .value_or(RemoteCommands::Refresh::NoReply);
}

inline bool nextMap(RemoteControl& client)
{
    return wait<bool>([&](QObject* context, auto done) {
               RemoteCommands(client, context).previewNextMap(done);
           })
        .value_or(false);
}

} // namespace RconAsk
