#include "content/KZQueueCache.h"

#include "format/PlistWriter.h"

namespace {

QString quotedIfNeeded(const QString& text)
{
    return PlistWriter::write(text).chopped(1); // the writer ends with a newline
}

// An array in the property-list style the diagnostics print lists in.
QString listDescription(const QStringList& list)
{
    QString text = QStringLiteral("(");
    for (qsizetype i = 0; i < list.size(); ++i) {
        text += QStringLiteral("\n    ") + quotedIfNeeded(list.at(i));
        if (i + 1 < list.size())
            text += QLatin1Char(',');
    }
    return text + QStringLiteral("\n)");
}

} // namespace

KZQueueCache::KZQueueCache(int queueSize) : m_queueSize(queueSize) {}

void KZQueueCache::addObject(const QString& object)
{
    m_objectOut.reset();
    const qsizetype held = m_cacheArray.indexOf(object);
    if (held >= 0) {
        m_cacheArray.move(held, 0);
        return;
    }
    // A capacity below 1 behaves as 1: the newest name is always held.
    if (m_numberOfObjectsInQueue >= m_queueSize && !m_cacheArray.isEmpty()) {
        m_objectOut = m_cacheArray.takeLast();
        m_cacheArray.prepend(object);
        return;
    }
    m_cacheArray.prepend(object);
    ++m_numberOfObjectsInQueue;
}

void KZQueueCache::setQueueSize(int queueSize)
{
    if (queueSize > m_queueSize)
        m_queueSize = queueSize;
}

QString KZQueueCache::description() const
{
    const QString self = QStringLiteral("<KZQueueCache: 0x%1>").arg(quintptr(this), 0, 16);
    // One pass over the format, so that a "%n" inside a name is not taken for a placeholder.
    return QStringLiteral("%1\n\tqueueSize:%2\n     \tnumberOfObjectsInQueue: %3\n \tobjectOut: "
                          "%4\n \tcacheArray: %5\n")
        .arg(self, QString::number(m_queueSize), QString::number(m_numberOfObjectsInQueue),
             m_objectOut.value_or(QStringLiteral("(null)")), listDescription(m_cacheArray));
}
