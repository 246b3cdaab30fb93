#include "ctl/StderrScanInteraction.h"

#include "content/ProgressCounter.h"

namespace {

// Prints a line whenever the bar moves by a whole percent, and every change of text.
class StderrProgress : public ProgressCounter
{
public:
    explicit StderrProgress(QTextStream& err) : m_err(err) {}
    void setStartupInfoField(const QString& text) override
    {
        ProgressCounter::setStartupInfoField(text);
        m_err << text << '\n';
        m_err.flush();
    }
    void updateProgressBar() override
    {
        ProgressCounter::updateProgressBar();
        report();
    }
    void setBarExplicitlyToMax() override
    {
        ProgressCounter::setBarExplicitlyToMax();
        report();
    }

private:
    void report()
    {
        const int percent = int(100.0 * progressBarValue() / progressBarMax() + 0.5);
        if (percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        m_err << QStringLiteral("[%1%] extracting and building").arg(percent, 3) << '\n';
        m_err.flush();
    }

    QTextStream& m_err;
    int m_lastPercent = -1;
};

} // namespace

std::unique_ptr<StartupProgress> StderrScanInteraction::makeProgress()
{
    return std::make_unique<StderrProgress>(m_err);
}

void StderrScanInteraction::showNotice(const QString& title, const QString& message)
{
    m_err << title << '\n' << message << '\n';
    m_err.flush();
}
