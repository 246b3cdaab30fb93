#pragma once

#include <QString>

// The progress window shown while the map and bot database is built. The window is a view
// of the application; tools without one report the same steps in their own way.
class StartupProgress
{
public:
    virtual ~StartupProgress() = default;

    // Centres and shows the window.
    virtual void show() = 0;
    virtual void setStartupInfoField(const QString& text) = 0;
    virtual void setProgressBarMax(double maximum) = 0;
    virtual double progressBarMax() const = 0;
    virtual void setProgressBarDelta(double delta) = 0;
    virtual double progressBarDelta() const = 0;
    virtual double progressBarValue() const = 0;
    virtual void updateProgressBar() = 0;
    virtual void setBarExplicitlyToMax() = 0;
};
