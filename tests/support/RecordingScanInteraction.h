#pragma once

#include "content/ProgressCounter.h"
#include "content/ScanInteraction.h"

#include <QStringList>

// A scan interaction that remembers what it was asked: the notices, and the progress steps
// through a counter that stays readable after the scan has let go of it.
class RecordingScanInteraction : public ScanInteraction
{
public:
    struct Progress : ProgressCounter
    {
        explicit Progress(RecordingScanInteraction& owner) : m_owner(owner) {}
        ~Progress() override { m_owner.finalValue = progressBarValue(); }
        void show() override { ++m_owner.progressShown; }
        void updateProgressBar() override
        {
            ProgressCounter::updateProgressBar();
            m_owner.steps.append(progressBarValue());
        }
        void setStartupInfoField(const QString& text) override { m_owner.texts.append(text); }
        void setProgressBarDelta(double delta) override
        {
            ProgressCounter::setProgressBarDelta(delta);
            m_owner.delta = delta;
        }

    private:
        RecordingScanInteraction& m_owner;
    };

    std::unique_ptr<StartupProgress> makeProgress() override
    {
        ++progressMade;
        return std::make_unique<Progress>(*this);
    }
    void showNotice(const QString& title, const QString& message) override
    {
        notices.append(title + QLatin1Char('\n') + message);
    }

    QStringList notices;
    QStringList texts;
    QList<double> steps;
    double delta = 0;
    double finalValue = -1;
    int progressMade = 0;
    int progressShown = 0;
};
