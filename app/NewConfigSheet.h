#pragma once

#include <QDialog>

class ConfigNameValidator;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The sheet that asks for the name and the game type of a new configuration. OK stays
// disabled while the name cannot be taken; the reason shows beneath the field.
class NewConfigSheet : public QDialog
{
    Q_OBJECT
public:
    explicit NewConfigSheet(QWidget* parent);

    QLineEdit* configNameField() const { return m_configNameField; }
    QComboBox* gameTypePopUpMenu() const { return m_gameTypePopUpMenu; }
    QLabel* newConfigModNameField() const { return m_newConfigModNameField; }
    QPushButton* okButton() const { return m_okButton; }
    QLabel* reasonField() const { return m_reasonField; }
    ConfigNameValidator& nameValidator() const { return *m_nameValidator; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_configNameField;
    QComboBox* m_gameTypePopUpMenu;
    QLabel* m_newConfigModNameField;
    QPushButton* m_okButton = nullptr;
    QLabel* m_reasonField;
    ConfigNameValidator* m_nameValidator = nullptr;
};
