#include "applications/common/util/abstract_property_model.h"

AbstractPropertyModel::AbstractPropertyModel(QObject* parent) : QObject(parent)
{
    static const int registered = qRegisterMetaType<Flags>("AbstractPropertyModel::Flags");
    Q_UNUSED(registered);
}

AbstractPropertyModel::~AbstractPropertyModel() = default;

QString AbstractPropertyModel::modelTitle() const { return QString(); }

int AbstractPropertyModel::propertyCount() const { return int(propertyPresent.size()); }

QVariant AbstractPropertyModel::value(int) const { return QVariant(); }

bool AbstractPropertyModel::setValue(int, const QVariant&) { return false; }

bool AbstractPropertyModel::resetValue(int, int) { return false; }

AbstractPropertyModel::Flags AbstractPropertyModel::flags(int) const { return Enabled | Visible; }

QObject* AbstractPropertyModel::editorObject(int) const { return nullptr; }

AbstractProxyPropertyModel::AbstractProxyPropertyModel(QObject* parent) : AbstractPropertyModel(parent) {}

void AbstractProxyPropertyModel::emitValueChanged(int propertyId) { emit valueChanged(propertyId, value(propertyId)); }

void AbstractProxyPropertyModel::emitFlagsChanged(int propertyId) { emit flagsChanged(propertyId, flags(propertyId)); }
