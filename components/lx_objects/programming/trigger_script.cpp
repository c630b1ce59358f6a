#include "components/lx_objects/programming/trigger_script.h"

#include "components/archive/fields.h"

#include <QRegularExpression>

void TriggerScript::setName(const QString& name)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    m_name = name;
    m_name.replace(lineBreak, QStringLiteral(" "));
}

template <class F, class Self>
void TriggerScript::fields(F& f, Self& s)
{
    f(s.m_name, s.number, s.source);
    f.droppedBefore(70, QByteArray());
}

template class Archive::Object<TriggerScript>;
