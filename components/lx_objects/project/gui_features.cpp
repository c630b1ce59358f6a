#include "components/lx_objects/project/gui_features.h"

#include "components/archive/fields.h"

#include <array>

namespace {

constexpr std::array<quint8, 35> kDefaultStates = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 1, 1,
                                                   0, 2, 0, 1, 1, 0, 2, 1, 1, 2, 0, 1, 0, 0, 0, 1, 0};

}  // namespace

GuiFeatures::GuiFeatures() { addMissingDefaults(); }

void GuiFeatures::addMissingDefaults()
{
    for (std::size_t feature = 0; feature < kDefaultStates.size(); ++feature)
        m_features.emplace(quint8(feature), kDefaultStates[feature]);
}

template <class F, class Self>
void GuiFeatures::fields(F& f, Self& s)
{
    // A stored 1 of a feature whose default is not 1 means off.
    const auto file = [](auto& features, auto&& entry) {
        const auto [feature, state] = entry;
        const bool known = feature < kDefaultStates.size();
        features[feature] = state == 1 && known && kDefaultStates[feature] != 1 ? 0 : state;
    };
    f(Archive::counted<quint8>(s.m_features, file));
}

void GuiFeatures::afterRead(InStream&)
{
    // What the data stores overrides the defaults; the others keep them.
    addMissingDefaults();
}

void GuiFeatures::setFeature(int feature, int state)
{
    if (feature < 0 || feature > 255)
        return;
    const auto found = m_features.find(quint8(feature));
    if (found != m_features.end())
        found->second = quint8(state);
}

template class Archive::Object<GuiFeatures>;
