#pragma once

#include <QDialog>

class ConfigNameValidator;
class QLabel;
class QLineEdit;
class QPushButton;

// The sheet that asks for the new name of the configuration shown. Rename stays disabled
// while the new name cannot be taken; the reason shows beneath the field.
class RenameConfigSheet : public QDialog
{
    Q_OBJECT
public:
    explicit RenameConfigSheet(QWidget* parent);

    QLineEdit* configNameFieldRenameOld() const { return m_old; }
    QLineEdit* configNameFieldRenameNew() const { return m_new; }
    QPushButton* okButton() const { return m_okButton; }
    QLabel* reasonField() const { return m_reasonField; }
    ConfigNameValidator& nameValidator() const { return *m_nameValidator; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_old;
    QLineEdit* m_new;
    QPushButton* m_okButton = nullptr;
    QLabel* m_reasonField;
    ConfigNameValidator* m_nameValidator = nullptr;
};
