#pragma once

#include <QDialog>

class QLineEdit;

// The sheet that asks for the new name of the configuration shown.
class RenameConfigSheet : public QDialog
{
    Q_OBJECT
public:
    explicit RenameConfigSheet(QWidget* parent);

    QLineEdit* configNameFieldRenameOld() const { return m_old; }
    QLineEdit* configNameFieldRenameNew() const { return m_new; }

private:
    QLineEdit* m_old;
    QLineEdit* m_new;
};
