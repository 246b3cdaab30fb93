#include "app/ConfigNameValidator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ConfigNameValidator::ConfigNameValidator(QLineEdit& field, QPushButton& okButton,
                                         QLabel& reasonField, QObject* parent)
    : QObject(parent), m_field(field), m_okButton(okButton), m_reasonField(reasonField)
{
    connect(&m_field, &QLineEdit::textChanged, this, &ConfigNameValidator::revalidate);
}

void ConfigNameValidator::revalidate()
{
    const Verdict verdict = m_check ? m_check(m_field.text()) : Verdict{true, {}, {}};
    m_okButton.setEnabled(verdict.acceptable);
    m_reasonField.setText(verdict.reason);
    m_reasonField.setToolTip(verdict.details);
    // A screen reader tells the reason with the field.
    m_field.setAccessibleDescription(verdict.reason);
}
