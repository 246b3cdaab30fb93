#include "config/VisibleText.h"

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0);
}

QString escapedText(const QString& text, bool keepLines)
{
    QString out;
    out.reserve(text.size());
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\') {
            out += QStringLiteral("\\\\");
        } else if (!isControl(c) || (keepLines && c == u'\n')) {
            out += qc;
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else if (c == 0x1b) {
            out += QStringLiteral("\\e");
        } else {
            out += QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

} // namespace

QString VisibleText::escaped(const QString& text)
{
    return escapedText(text, false);
}

QString VisibleText::escapedKeepingLines(const QString& text)
{
    return escapedText(text, true);
}
