#include "components/lx_objects/project/project_properties.h"

#include "components/archive/fields.h"

namespace {

QString oneLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

}  // namespace

template <class F, class Self>
void ProjectProperties::fields(F& f, Self& s)
{
    f(s.text1, s.m_text2, s.m_text3, s.text4);
    f.since(80, s.option1);
    f.since(120, s.option2);
    f(Archive::inlineFields(s.location));
    f(s.option3, s.option4);
    f.since(22, s.option5);
    f(s.timeFormat, s.dateFormat, s.colour1, s.colour2);
    f.since(100, s.option6);
    f(s.layout);
}

void ProjectProperties::afterRead(InStream& in)
{
    // Older data counted the longitude's direction the other way round.
    if (in.version() < 35) {
        quint8& direction = location.groupB.direction;
        direction = direction == 0 ? 1 : 0;
    }
}

void ProjectProperties::setText2(const QString& text) { m_text2 = oneLine(text); }

void ProjectProperties::setText3(const QString& text) { m_text3 = oneLine(text); }

template class Archive::Object<ProjectProperties>;
