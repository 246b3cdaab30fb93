#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// A directory that refuses writes in a way root cannot get round: a small tmpfs mounted over
// it, full or read-only, in a mount namespace of its own (unshare), so that nothing outside the
// probe process sees it. The probe (tests/support/probe/FailingWriteProbe.cpp) makes a file in
// it with one of Voranth's writers, makes it refuse, writes again and reports. Where no
// namespace can be made, a user other than root gets a read-only directory by chmod 0500;
// otherwise the case cannot be set up here and the report says why.
namespace RefusingFileSystem {

enum class Refusal
{
    Full,
    ReadOnly,
};

struct Report
{
    // Why the case cannot be set up on this machine (the test is then skipped); empty when it
    // ran.
    QString skipped;
    // Why the probe failed where it should have run (a fault of the test or of the writer).
    QString probeFailure;
    // The refused writer's error.
    QString error;
    // The file holds what it held before the refused write.
    bool intact = false;
    // The directory's entries after the refused write (hidden ones too).
    QStringList entries;
    // Every line the probe wrote, by key.
    QMap<QString, QString> values;
};

// writer: "atomic", "archive", "settings", "configfile" or "ledger" (see the probe); target:
// the file it writes, inside directory, which must exist.
Report tryWrite(Refusal refusal, const QString& directory, const QString& writer,
                const QString& target);

} // namespace RefusingFileSystem
