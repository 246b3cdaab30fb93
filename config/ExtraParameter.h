#pragma once

#include <QString>

class QDataStream;

// One free-form console variable of a configuration, or "addbot" with its arguments.
class ExtraParameter
{
public:
    ExtraParameter() = default;
    ExtraParameter(const QString& xvariable, const QString& xvalue)
        : m_xvariable(xvariable), m_xvalue(xvalue)
    {}

    const QString& xvariable() const { return m_xvariable; }
    void setXvariable(const QString& value) { m_xvariable = value; }
    const QString& xvalue() const { return m_xvalue; }
    void setXvalue(const QString& value) { m_xvalue = value; }

    QString description() const;

    // Sequential coding: xvariable then xvalue, class version 0.
    static constexpr int classVersion = 0;
    void encodeWithCoder(QDataStream& out) const;
    // False when the stream runs short or holds something else; the entry is then unchanged.
    static bool initWithCoder(QDataStream& in, ExtraParameter& entry);

    bool operator==(const ExtraParameter&) const = default;

private:
    QString m_xvariable = QStringLiteral("_cvar");
    QString m_xvalue = QStringLiteral("0");
};
