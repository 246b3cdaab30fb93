#include "config/ExtraParameter.h"

#include "config/ArchiveCoding.h"

QString ExtraParameter::description() const
{
    return QStringLiteral("<ExtraParameter: 0x%1>\nxvariable: %2\nxvalue: %3")
        .arg(quintptr(this), 0, 16)
        .arg(m_xvariable, m_xvalue);
}

void ExtraParameter::encodeWithCoder(QDataStream& out) const
{
    ArchiveCoding::writeString(out, m_xvariable);
    ArchiveCoding::writeString(out, m_xvalue);
}

bool ExtraParameter::initWithCoder(QDataStream& in, ExtraParameter& entry)
{
    QString variable;
    QString value;
    if (!ArchiveCoding::readString(in, variable) || !ArchiveCoding::readString(in, value))
        return false;
    // An entry read from an archive starts empty, not with the defaults of a new one.
    entry.setXvariable(variable);
    entry.setXvalue(value);
    return true;
}
