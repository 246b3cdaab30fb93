#include "ctl/CtlCommand.h"

#include "config/VisibleText.h"

bool CtlArguments::takeFlag(const QString& flag)
{
    return m_args.removeAll(flag) > 0;
}

QString CtlArguments::takeOption(const QString& option, bool& ok)
{
    const qsizetype at = m_args.indexOf(option);
    if (at < 0)
        return {};
    if (at + 1 >= m_args.size()) {
        ok = false;
        m_args.removeAt(at);
        return {};
    }
    const QString value = m_args.at(at + 1);
    m_args.remove(at, 2);
    return value;
}

QString CtlArguments::firstUnknownOption() const
{
    for (const QString& arg : m_args)
        if (arg.startsWith(QStringLiteral("--")))
            return arg;
    return {};
}

void printColumns(const QList<QStringList>& shownRows, QTextStream& out)
{
    // Names and replies come from files, users and servers: a line break must not split a
    // row, an escape sequence must not reach the terminal.
    QList<QStringList> rows = shownRows;
    for (QStringList& row : rows)
        for (QString& cell : row)
            cell = VisibleText::escaped(cell);
    QList<qsizetype> widths;
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = std::max(widths[i], row.at(i).size());
        }
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row.at(i).leftJustified(widths.at(i) + 2) : row.at(i);
        // An empty last cell leaves no blanks at the end.
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out << line << '\n';
    }
}
