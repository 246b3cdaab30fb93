#pragma once

#include <QStringList>

#include <optional>

// A bounded list of recently used names, most recent first. Adding a name that is already
// held moves it to the front; adding a new one when the list is full pushes the oldest out,
// and objectOut() tells which, so the owner can drop what it kept for that name.
class KZQueueCache
{
public:
    explicit KZQueueCache(int queueSize);

    void addObject(const QString& object);
    bool containsObject(const QString& object) const { return m_cacheArray.contains(object); }
    // The name pushed out by the last addObject(); none when it pushed nothing out.
    const std::optional<QString>& objectOut() const { return m_objectOut; }
    bool cacheFilled() const { return m_numberOfObjectsInQueue >= m_queueSize; }
    bool cacheHalfFilled() const { return m_numberOfObjectsInQueue >= m_queueSize / 2; }
    int numberOfObjectsInQueue() const { return m_numberOfObjectsInQueue; }
    int queueSize() const { return m_queueSize; }
    // Only raises the capacity; a smaller value is ignored.
    void setQueueSize(int queueSize);
    const QStringList& cacheArray() const { return m_cacheArray; }
    QString description() const;

private:
    QStringList m_cacheArray;
    std::optional<QString> m_objectOut;
    int m_queueSize;
    int m_numberOfObjectsInQueue = 0;
};
