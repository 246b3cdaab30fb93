#pragma once

#include <QString>

// The surroundings every benchmark runs in: a scratch home instead of the user's, the
// application's names, and the process figures the benchmarks print.
class BenchEnvironment
{
public:
    BenchEnvironment() = delete;

    // Points HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and the game's preferences below root.
    // Call it first thing in main, before Qt or any Voranth code reads a path.
    static void useScratchHome(const QString& root);
    // Names the application (settings file, data directory) and installs the defaults.
    // Call it right after the QCoreApplication is made.
    static void nameApplication();

    // The source tree the benchmark was built from (for the project's scripts).
    static QString sourceDir();
    // Peak and current resident memory of this process, in KiB (VmHWM, VmRSS); -1 if unknown.
    static qint64 peakResidentKiB();
    static qint64 residentKiB();
    // The machine's load averages (1, 5, 15 minutes), to judge how busy it was.
    static QString loadAverage();
};
