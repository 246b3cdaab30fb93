#pragma once

#include "format/Result.h"

#include <QString>

// The user timer that samples the player history of every running server of ours once a
// minute ("voranthctl sample --all") while no window does: voranth-sample.timer and its
// voranth-sample.service in the user's unit directory, installed and started while any server
// is hosted as a service (or starts at login), and stopped and removed with the last one.
class SamplingTimer
{
public:
    static QString timerName() { return QStringLiteral("voranth-sample.timer"); }
    static QString serviceName() { return QStringLiteral("voranth-sample.service"); }
    static QString timerPath();
    static QString servicePath();

    // The unit files, for the program at ctlPath.
    static QString timerText();
    static QString serviceText(const QString& ctlPath);
    // voranthctl beside this program, else on PATH; empty when there is none.
    static QString ctlPath();

    // Installs and starts the timer when a service is recorded and it is not installed yet;
    // stops and removes it when no service is recorded any longer.
    static Result<void> follow();
    static bool installed();
};
