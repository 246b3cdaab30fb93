#include "app/StepperButtons.h"

#include <QToolButton>
#include <QVBoxLayout>

StepperButtons::StepperButtons(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up, down}) {
        button->setAutoRepeat(true);
        button->setFixedSize(18, 12);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    connect(up, &QToolButton::clicked, this, &StepperButtons::stepUp);
    connect(down, &QToolButton::clicked, this, &StepperButtons::stepDown);
}

void StepperButtons::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
}

void StepperButtons::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(m_value);
}

void StepperButtons::stepUp()
{
    setValue(m_value + m_step);
    emit stepped(m_value);
}

void StepperButtons::stepDown()
{
    setValue(m_value - m_step);
    emit stepped(m_value);
}
