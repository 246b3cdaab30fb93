#pragma once

#include <QWidget>

class QToolButton;

// Two small arrow buttons that step an integer between a minimum and a maximum; it shows no
// number itself, the field beside it does.
class StepperButtons : public QWidget
{
    Q_OBJECT
public:
    explicit StepperButtons(QWidget* parent = nullptr);

    int value() const { return m_value; }
    void setValue(int value);
    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setSingleStep(int step) { m_step = step; }

    void stepUp();
    void stepDown();

signals:
    // Only for steps the user makes.
    void stepped(int value);

private:
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 99;
    int m_step = 1;
};
