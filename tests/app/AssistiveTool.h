#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>

#include <gtest/gtest.h>

// What a screen reader or voice control does: it acts through a control's accessible
// interface, with no mouse click and no key press.
namespace AssistiveTool {

inline void toggle(QAbstractButton* button)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(accessible, nullptr);
    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()))
        << button->objectName().toStdString();
    actions->doAction(QAccessibleActionInterface::toggleAction());
}

inline void setText(QWidget* field, const QString& text)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
    ASSERT_NE(accessible, nullptr);
    accessible->setText(QAccessible::Value, text);
}

} // namespace AssistiveTool
