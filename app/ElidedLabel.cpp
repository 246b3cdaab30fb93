#include "app/ElidedLabel.h"

#include "rcon/PlayerStatus.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace {

// About as wide as a short server name: what the label asks for when there is room.
constexpr int preferredCharacters = 24;

} // namespace

ElidedLabel::ElidedLabel(QWidget* parent, ColourCodes codes) : QLabel(parent), m_codes(codes)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

QRect ElidedLabel::textArea() const
{
    return contentsRect().adjusted(margin(), margin(), -margin(), -margin());
}

QString ElidedLabel::lineOf(const QString& text) const
{
    QString line = m_codes == ColourCodes::Stripped
                       ? PlayerStatus::stringStrippedFromCaretChars(text)
                       : text;
    for (QChar& c : line)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return line;
}

void ElidedLabel::setText(const QString& text)
{
    const QString line = lineOf(text);
    QLabel::setText(line);
    setToolTip(line);
    setAccessibleName(line);
}

QString ElidedLabel::shownText() const
{
    // Also for a text given through QLabel::setText.
    return fontMetrics().elidedText(lineOf(text()), Qt::ElideRight, textArea().width());
}

QSize ElidedLabel::sizeHint() const
{
    const QSize whole = QLabel::sizeHint();
    const int room = fontMetrics().averageCharWidth() * preferredCharacters;
    return {std::min(whole.width(), room), whole.height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("M…")) + margins.left() +
                      margins.right() + 2 * margin();
    return {width, fontMetrics().height() + margins.top() + margins.bottom() + 2 * margin()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, textArea(), int(alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
}
