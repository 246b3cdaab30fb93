#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Makes pk3 (zip) archives for tests and takes members out of real ones, with libzip.
class Pk3Builder
{
public:
    // Adds a member; a valid time becomes its modification time.
    Pk3Builder& add(const QString& name, const QByteArray& bytes, const QDateTime& time = {});
    // Adds a member that unpacks as a symbolic link to target.
    Pk3Builder& addSymlink(const QString& name, const QString& target);
    // Writes the archive (replacing any file there, making its directory); false on any error.
    bool write(const QString& path) const;

    static QStringList memberNames(const QString& pk3Path);
    static std::optional<QByteArray> extract(const QString& pk3Path, const QString& member);
    // Writes the member to the file, creating its directory; false when it is missing.
    static bool extractTo(const QString& pk3Path, const QString& member, const QString& file);

private:
    struct Member
    {
        QString name;
        QByteArray bytes;
        QDateTime time;
        bool link = false;
    };
    QList<Member> m_members;
};
