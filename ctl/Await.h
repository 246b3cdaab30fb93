#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// voranthctl waits for what it asked: runs the event loop until an operation that reports
// later reports its value. start gets a context object, alive for as long as the wait, to
// give the operation, so that an outcome coming after the wait is never delivered.
namespace Await {

// No exchange lasts this long: its reply, or its silence, has come by then.
constexpr int longestWaitMs = 60000;

// The value start's operation reports, or T() when none came within longestWaitMs.
template <typename T>
T value(const std::function<void(QObject* context, std::function<void(const T&)>)>& start)
{
    QEventLoop loop;
    QObject context;
    std::optional<T> outcome;
    start(&context, [&](const T& reported) {
        outcome = reported;
        loop.quit();
    });
    QTimer::singleShot(longestWaitMs, &loop, &QEventLoop::quit);
    if (!outcome)
        loop.exec();
    return outcome.value_or(T());
}

} // namespace Await
