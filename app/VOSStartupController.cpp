#include "app/VOSStartupController.h"

#include "config/CommonData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace {

// The bar works in thousandths so that fractional steps show.
constexpr int barScale = 1000;
// How long a start waits for the window system to put the window on the screen.
constexpr int exposeTimeoutMs = 2000;

// The scan that follows blocks the event loop: until the window system has mapped the
// window, whatever is painted into it is lost and the window stays blank for the whole scan.
void waitUntilExposed(QWindow* window)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (window && !window->isExposed() && elapsed.elapsed() < exposeTimeoutMs) {
        // Not a wait for a reply: the window system maps the progress window.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!window->isExposed())
            QThread::msleep(5);
    }
}

// Paints the widget now and lets the window system take the picture (and any request to
// draw the window again) before the blocking work goes on.
void showAtOnce(QWidget* widget)
{
    widget->repaint();
    // Not a wait for a reply: the picture reaches the screen before the scan goes on.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

VOSStartupController::VOSStartupController() : m_window(std::make_unique<QWidget>())
{
    m_window->setObjectName(QStringLiteral("VOSStartup"));
    m_window->setWindowTitle(CommonData::applicationName());
    m_window->setWindowFlag(Qt::Dialog);
    auto* layout = new QVBoxLayout(m_window.get());
    m_startupTextField = new QLabel(m_window.get());
    m_startupTextField->setObjectName(QStringLiteral("startupTextField"));
    m_startupTextField->setText(QStringLiteral("Extracting maps, level shots and bots ..."));
    m_extractMapInfoProgress = new QProgressBar(m_window.get());
    m_extractMapInfoProgress->setObjectName(QStringLiteral("extractMapInfoProgress"));
    m_extractMapInfoProgress->setTextVisible(false);
    m_extractMapInfoProgress->setMinimumWidth(360);
    layout->addWidget(m_startupTextField);
    layout->addWidget(m_extractMapInfoProgress);
    setProgressBarMax(100.0);
    showValue();
}

VOSStartupController::~VOSStartupController()
{
    m_window->close();
}

void VOSStartupController::show()
{
    m_window->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_window->move(screen->availableGeometry().center() - m_window->rect().center());
    m_window->show();
    m_window->raise();
    waitUntilExposed(m_window->windowHandle());
    showAtOnce(m_window.get());
}

void VOSStartupController::setStartupInfoField(const QString& text)
{
    m_startupTextField->setText(text);
    showAtOnce(m_startupTextField);
}

void VOSStartupController::setProgressBarMax(double maximum)
{
    m_progressBarMax = maximum;
    m_extractMapInfoProgress->setMaximum(int(maximum * barScale));
}

void VOSStartupController::updateProgressBar()
{
    m_value += m_progressBarDelta;
    showValue();
}

void VOSStartupController::setBarExplicitlyToMax()
{
    m_value = m_progressBarMax;
    showValue();
}

void VOSStartupController::showValue()
{
    const double clamped = std::min(m_value, m_progressBarMax);
    m_extractMapInfoProgress->setValue(int(clamped * barScale + 0.5));
    showAtOnce(m_extractMapInfoProgress);
}
