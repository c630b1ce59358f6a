// The words and bits of definition files that the name tables of
// FixtureVocabulary do not carry: the white modes and the bit each range
// modifier sets. Shared by the parser and the writer.
//
// Constant data; any thread.
#ifndef FIXTURE_LIBRARY_FIXTURE_FILE_TERMS_H
#define FIXTURE_LIBRARY_FIXTURE_FILE_TERMS_H

#include "components/lx_objects/fixtures/fixture_model_element.h"

#include <QString>

namespace FixtureFileTerms {

constexpr quint16 kWhiteModeMask = FixtureModelElement::kSubtractiveWhite | FixtureModelElement::kAdditiveWhite;

// By position in FixtureVocabulary's range modifiers: "%", "CENTRE", "WRAP".
constexpr quint16 kModifierBits[] = {0x02, 0x04, 0x20};
// Set for a label that ends in "+".
constexpr quint16 kPlusLabelModifier = 0x10;

// The element flags of a white mode name, or -1.
inline int whiteMode(const QString& name)
{
    if (name == QLatin1String("balanced"))
        return 0;
    if (name == QLatin1String("subtractive"))
        return FixtureModelElement::kSubtractiveWhite;
    if (name == QLatin1String("additive"))
        return FixtureModelElement::kAdditiveWhite;
    return -1;
}

// The white mode of element flags; "balanced" when neither bit is set.
inline QString whiteModeName(quint16 flags)
{
    if (flags & FixtureModelElement::kSubtractiveWhite)
        return QStringLiteral("subtractive");
    if (flags & FixtureModelElement::kAdditiveWhite)
        return QStringLiteral("additive");
    return QStringLiteral("balanced");
}

}  // namespace FixtureFileTerms

#endif  // FIXTURE_LIBRARY_FIXTURE_FILE_TERMS_H
