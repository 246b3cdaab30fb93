#pragma once

#include <QLabel>

// A one-line label for text that comes from outside (a server's name, a map's title): it
// shows what fits and ends with "…", and asks its layout for little room, so that a long text
// never widens the window. The whole text is its tooltip and the name a screen reader speaks.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    enum class ColourCodes
    {
        Shown,
        // The game's colour codes (a caret and the character after it) are taken out.
        Stripped,
    };

    explicit ElidedLabel(QWidget* parent = nullptr, ColourCodes codes = ColourCodes::Shown);

    // Takes the text (without its colour codes when asked); text() answers it whole.
    void setText(const QString& text);
    void clear() { setText(QString()); }
    // The text as painted: the start of the text and "…" when the whole does not fit.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
    QString lineOf(const QString& text) const;

    ColourCodes m_codes;
};
