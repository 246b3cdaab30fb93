#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// Keeps a name sheet's OK button disabled while the typed name cannot be taken, and shows
// why beside the field, as the user types.
class ConfigNameValidator : public QObject
{
    Q_OBJECT
public:
    struct Verdict
    {
        bool acceptable = false;
        // Why not; empty when there is nothing to tell (an unchanged name, say).
        QString reason;
        // The longer explanation, for the tooltip.
        QString details;
    };
    using Check = std::function<Verdict(const QString& name)>;

    ConfigNameValidator(QLineEdit& field, QPushButton& okButton, QLabel& reasonField,
                        QObject* parent = nullptr);

    void setCheck(Check check) { m_check = std::move(check); }
    // Judges the field's text again (when the sheet opens).
    void revalidate();

private:
    QLineEdit& m_field;
    QPushButton& m_okButton;
    QLabel& m_reasonField;
    Check m_check;
};
