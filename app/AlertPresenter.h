#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// One alert the user answers: a title, a message and its buttons, the first the default.
struct AlertRequest
{
    QString title;
    QString message;
    QStringList buttons{QStringLiteral("OK")};
    // A sheet belongs to the main window (window-modal); otherwise application-modal.
    bool sheet = false;
    // A notice that tells something rather than warns of a problem.
    bool informational = false;
};

// Every alert of the application goes through here, so that tests can answer them.
class AlertPresenter
{
public:
    using Answerer = std::function<int(const AlertRequest&)>;

    // Shows the alert and answers the index of the pressed button.
    static int show(QWidget* parent, const AlertRequest& request);
    // Replaces the message boxes with a function (tests); an empty one restores them.
    static void setAnswerer(Answerer answerer);
    // The alerts shown since the last call, oldest first (tests and diagnostics).
    static QList<AlertRequest> takeShown();
};
