#pragma once

#include <QString>
#include <QStringList>

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
    // The button that Escape presses; -1 leaves it to the dialog.
    int escapeButton = -1;
};

// Every question the application asks the person at the window goes through here: its
// alerts and the panel that chooses a directory. The application shows dialogs; a test
// hands in an object that answers from a script.
class AlertPresenter
{
public:
    virtual ~AlertPresenter() = default;

    // Shows the alert and answers the index of the pressed button.
    virtual int show(QWidget* parent, const AlertRequest& request) = 0;
    // The chosen directory, or empty when the user cancelled.
    virtual QString chooseDirectory(QWidget* parent, const QString& title,
                                    const QString& start) = 0;
};
