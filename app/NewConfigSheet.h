#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The sheet that asks for the name and the game type of a new configuration.
class NewConfigSheet : public QDialog
{
    Q_OBJECT
public:
    explicit NewConfigSheet(QWidget* parent);

    QLineEdit* configNameField() const { return m_configNameField; }
    QComboBox* gameTypePopUpMenu() const { return m_gameTypePopUpMenu; }
    QLabel* newConfigModNameField() const { return m_newConfigModNameField; }

private:
    QLineEdit* m_configNameField;
    QComboBox* m_gameTypePopUpMenu;
    QLabel* m_newConfigModNameField;
};
