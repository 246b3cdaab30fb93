#include "app/WindowLayoutMemory.h"

#include "config/UserDefaults.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>

#include <optional>

namespace {

const QString geometryKey = QStringLiteral("MainWindow/geometry");
const QString splitterKey = QStringLiteral("MainWindow/splitter");
const QString tabKey = QStringLiteral("MainWindow/tab");

// The place and size of the window when not maximized, as QWidget::saveGeometry writes it
// (its head has been the same since Qt 4.2); none for bytes of another form.
std::optional<QRect> savedNormalGeometry(const QByteArray& geometry)
{
    QDataStream stream(geometry);
    stream.setVersion(QDataStream::Qt_4_0);
    constexpr quint32 magic = 0x1D9D0CB;
    quint32 readMagic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    QRect frame;
    QRect normal;
    stream >> readMagic >> major >> minor >> frame >> normal;
    if (stream.status() != QDataStream::Ok || readMagic != magic || major < 1)
        return std::nullopt;
    return normal;
}

// Whether the window fits the screen it would open on, or is no larger than the window can
// be made on a screen too small for it.
bool fitsItsScreen(const QRect& geometry, const QWidget& window)
{
    const QScreen* screen = QGuiApplication::screenAt(geometry.center());
    if (!screen)
        screen = window.screen();
    if (!screen)
        return true;
    const QSize room = screen->availableGeometry().size().expandedTo(window.minimumSizeHint());
    return geometry.width() <= room.width() && geometry.height() <= room.height();
}

} // namespace

bool WindowLayoutMemory::restore()
{
    m_splitter.restoreState(UserDefaults::value(splitterKey).toByteArray());
    const int tab = UserDefaults::intValue(tabKey);
    if (tab >= 0 && tab < m_tabs.count())
        m_tabs.setCurrentIndex(tab);
    const QByteArray geometry = UserDefaults::value(geometryKey).toByteArray();
    if (geometry.isEmpty())
        return false;
    // A window kept larger than the screen (once widened by a long name, say) starts anew.
    const std::optional<QRect> normal = savedNormalGeometry(geometry);
    if (normal && !fitsItsScreen(*normal, m_window))
        return false;
    return m_window.restoreGeometry(geometry) && fitsItsScreen(m_window.normalGeometry(), m_window);
}

void WindowLayoutMemory::save()
{
    UserDefaults::setValue(geometryKey, m_window.saveGeometry());
    UserDefaults::setValue(splitterKey, m_splitter.saveState());
    UserDefaults::setValue(tabKey, m_tabs.currentIndex());
    UserDefaults::sync();
}
