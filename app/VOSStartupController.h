#pragma once

#include "content/StartupProgress.h"

#include <memory>

class QLabel;
class QProgressBar;
class QWidget;

// The small window with a progress bar and one line of text shown while the map and bot
// database is built. Closing it is releasing it.
class VOSStartupController : public StartupProgress
{
public:
    VOSStartupController();
    ~VOSStartupController() override;

    void show() override;
    void setStartupInfoField(const QString& text) override;
    void setProgressBarMax(double maximum) override;
    double progressBarMax() const override { return m_progressBarMax; }
    void setProgressBarDelta(double delta) override { m_progressBarDelta = delta; }
    double progressBarDelta() const override { return m_progressBarDelta; }
    double progressBarValue() const override { return m_value; }
    void updateProgressBar() override;
    void setBarExplicitlyToMax() override;

    QWidget* window() const { return m_window.get(); }

private:
    void showValue();

    std::unique_ptr<QWidget> m_window;
    QProgressBar* m_extractMapInfoProgress = nullptr;
    QLabel* m_startupTextField = nullptr;
    double m_progressBarMax = 100.0;
    double m_progressBarDelta = 1.0;
    double m_value = 0.0;
};
