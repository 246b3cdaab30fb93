#include "content/ScriptBudget.h"

bool ScriptBudget::take(const QString& path, qint64 size)
{
    if (size <= m_left) {
        m_left -= size;
        return true;
    }
    const QString why = QStringLiteral("%1: skipped: %2 bytes would pass the %3 bytes that one "
                                       "mod's scripts may come to")
                            .arg(path)
                            .arg(size)
                            .arg(m_total);
    qWarning("%s", qPrintable(why));
    m_skipped.append(why);
    return false;
}
