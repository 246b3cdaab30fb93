#include "app/DialogAlertPresenter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// A word longer than this (a path, a file name) may be broken inside.
constexpr qsizetype longestUnbrokenWord = 40;

bool breaksAfter(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('_') || c == QLatin1Char('-') ||
           c == QLatin1Char('.') || c == QLatin1Char(',');
}

} // namespace

QString DialogAlertPresenter::wrappable(const QString& message)
{
    // The alert wraps its text at word breaks only, and widens itself up to the screen's
    // width for a word it cannot break: long words (paths, file names) get invisible break
    // points after their separators, or every so many characters where they have none.
    static const QChar breakPoint(0x200B);
    QString result;
    qsizetype wordStart = 0;
    while (wordStart < message.size()) {
        qsizetype wordEnd = wordStart;
        while (wordEnd < message.size() && !message.at(wordEnd).isSpace())
            ++wordEnd;
        const bool longWord = wordEnd - wordStart > longestUnbrokenWord;
        qsizetype sinceBreak = 0;
        for (qsizetype i = wordStart; i < wordEnd; ++i) {
            result.append(message.at(i));
            ++sinceBreak;
            if (longWord && i + 1 < wordEnd &&
                (breaksAfter(message.at(i)) || sinceBreak >= longestUnbrokenWord)) {
                result.append(breakPoint);
                sinceBreak = 0;
            }
        }
        while (wordEnd < message.size() && message.at(wordEnd).isSpace())
            result.append(message.at(wordEnd++));
        wordStart = wordEnd;
    }
    return result;
}

int DialogAlertPresenter::show(QWidget* parent, const AlertRequest& request)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("alert"));
    box.setIcon(request.informational ? QMessageBox::Information : QMessageBox::Warning);
    box.setText(request.title);
    box.setInformativeText(wrappable(request.message));
    box.setWindowModality(request.sheet && parent ? Qt::WindowModal : Qt::ApplicationModal);
    QList<QAbstractButton*> buttons;
    for (qsizetype i = 0; i < request.buttons.size(); ++i) {
        QPushButton* button = box.addButton(
            request.buttons.at(i), i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        if (i == 0)
            box.setDefaultButton(button);
        buttons.append(button);
    }
    if (request.escapeButton >= 0 && request.escapeButton < buttons.size())
        box.setEscapeButton(buttons.at(request.escapeButton));
    // Not a wait for a reply: a modal alert, answered by the user.
    box.exec();
    const qsizetype index = buttons.indexOf(box.clickedButton());
    return index < 0 ? 0 : int(index);
}

QString DialogAlertPresenter::chooseDirectory(QWidget* parent, const QString& title,
                                              const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}
