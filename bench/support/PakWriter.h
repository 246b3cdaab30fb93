#pragma once

#include <QDateTime>
#include <QString>

typedef struct zip zip_t;

// Writes one pk3 (zip) archive member by member; the archive is on disk after close().
class PakWriter
{
public:
    explicit PakWriter(const QString& path);
    ~PakWriter();
    PakWriter(const PakWriter&) = delete;
    PakWriter& operator=(const PakWriter&) = delete;

    bool isOpen() const { return m_archive != nullptr; }
    // Adds a member with the given modification time (deflated, as the game's paks are).
    bool add(const QString& memberPath, const QByteArray& bytes, const QDateTime& time);
    bool close();

private:
    zip_t* m_archive = nullptr;
};
