#pragma once

#include "app/AlertPresenter.h"

#include <QList>
#include <QStringList>

// Answers the application's alerts and directory panels from a script instead of a person,
// and keeps what was asked.
class ScriptedAlerts : public AlertPresenter
{
public:
    int show(QWidget*, const AlertRequest& request) override
    {
        shown.append(request);
        return answers.isEmpty() ? 0 : answers.takeFirst();
    }
    QString chooseDirectory(QWidget*, const QString&, const QString&) override
    {
        ++directoryPanels;
        return directories.isEmpty() ? QString() : directories.takeFirst();
    }

    QList<AlertRequest> shown;
    // The buttons pressed, in order; the default (0) when none is left.
    QList<int> answers;
    // The directories chosen, in order; cancelled when none is left.
    QStringList directories;
    int directoryPanels = 0;
};
