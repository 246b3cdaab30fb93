#include "app/WindowLayoutMemory.h"

#include "config/UserDefaults.h"

#include <QMainWindow>
#include <QSplitter>
#include <QTabWidget>

namespace {

const QString geometryKey = QStringLiteral("MainWindow/geometry");
const QString splitterKey = QStringLiteral("MainWindow/splitter");
const QString tabKey = QStringLiteral("MainWindow/tab");

} // namespace

bool WindowLayoutMemory::restore()
{
    m_splitter.restoreState(UserDefaults::value(splitterKey).toByteArray());
    const int tab = UserDefaults::intValue(tabKey);
    if (tab >= 0 && tab < m_tabs.count())
        m_tabs.setCurrentIndex(tab);
    const QByteArray geometry = UserDefaults::value(geometryKey).toByteArray();
    return !geometry.isEmpty() && m_window.restoreGeometry(geometry);
}

void WindowLayoutMemory::save()
{
    UserDefaults::setValue(geometryKey, m_window.saveGeometry());
    UserDefaults::setValue(splitterKey, m_splitter.saveState());
    UserDefaults::setValue(tabKey, m_tabs.currentIndex());
    UserDefaults::sync();
}
