#include "applications/common/util/abstract_property_model.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// The base as it stands.
struct BareModel : AbstractProxyPropertyModel
{};

// A builder-like model: 24 properties, property 1 marked.
class MarkingModel : public AbstractProxyPropertyModel
{
public:
    MarkingModel() { propertyPresent.assign(24, true); }
    Flags flags(int propertyId) const override { return propertyId == 1 ? Flags(Enabled | Marked) : Enabled; }
};

TEST(AbstractPropertyModel, BaseAnswersAndSignals)
{
    BareModel bare;
    EXPECT_EQ(bare.propertyCount(), 0);
    for (int id : {-1, 0, 5, 1000}) {
        EXPECT_FALSE(bare.value(id).isValid() || bare.setValue(id, 7) || bare.resetValue(id, 0)) << id;
        EXPECT_EQ(int(bare.flags(id)), 3) << id;
    }
    QSignalSpy values(&bare, &AbstractPropertyModel::valueChanged);
    bare.emitValueChanged(5);
    EXPECT_EQ(values, (QList<QVariantList> {{5, QVariant()}}));

    MarkingModel marking;
    QSignalSpy flags(&marking, &AbstractPropertyModel::flagsChanged);
    marking.emitFlagsChanged(1);
    ASSERT_EQ(flags.count(), 1);
    EXPECT_EQ(std::pair(flags[0][0].toInt(), int(flags[0][1].value<AbstractPropertyModel::Flags>())),
              std::pair(1, 257));

    // Known by its name, so it crosses queued connections.
    EXPECT_EQ(QMetaType::type("AbstractPropertyModel::Flags"), qMetaTypeId<AbstractPropertyModel::Flags>());
    int queued = 0;
    QObject::connect(
        &marking, &AbstractPropertyModel::flagsChanged, &bare,
        [&](int, AbstractPropertyModel::Flags sent) { queued = int(sent); }, Qt::QueuedConnection);
    marking.emitFlagsChanged(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(queued, 257);
}

}  // namespace
