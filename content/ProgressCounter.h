#pragma once

#include "content/StartupProgress.h"

// The arithmetic of the progress bar without a window: maximum, step and value.
class ProgressCounter : public StartupProgress
{
public:
    void show() override {}
    void setStartupInfoField(const QString&) override {}
    void setProgressBarMax(double maximum) override { m_max = maximum; }
    double progressBarMax() const override { return m_max; }
    void setProgressBarDelta(double delta) override { m_delta = delta; }
    double progressBarDelta() const override { return m_delta; }
    double progressBarValue() const override { return m_value; }
    void updateProgressBar() override { m_value += m_delta; }
    void setBarExplicitlyToMax() override { m_value = m_max; }

private:
    double m_max = 100.0;
    double m_delta = 1.0;
    double m_value = 0.0;
};
