#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The sheet that lists the maps whose scripts could not be parsed, offering to save the list
// as a log before going on.
class UnparsedMapsWindow : public QDialog
{
    Q_OBJECT
public:
    // The return codes the sheet ends with.
    enum Answer
    {
        ContinueDoNotSave = 0,
        SaveAndContinue = 1
    };

    explicit UnparsedMapsWindow(QWidget* parent);

    QPlainTextEdit* unparsedMapsTextView() const { return m_unparsedMapsTextView; }
    QPushButton* unparsedMapsSaveAndContinueButton() const { return m_saveAndContinueButton; }
    QPushButton* unparsedMapsContinueDoNotSaveButton() const { return m_continueButton; }

    // Empties the text view and shows the printout in a fixed-width font.
    void showPrintout(const QString& printout);
    // Hides the window; one of its two buttons also ends the sheet with its answer.
    void endUnparsedMapsWindow(QObject* sender);

private:
    QPlainTextEdit* m_unparsedMapsTextView;
    QPushButton* m_saveAndContinueButton;
    QPushButton* m_continueButton;
};
