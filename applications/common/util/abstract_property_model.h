#ifndef APPLICATIONS_COMMON_UTIL_ABSTRACT_PROPERTY_MODEL_H
#define APPLICATIONS_COMMON_UTIL_ABSTRACT_PROPERTY_MODEL_H

#include <QObject>
#include <QVariant>

#include <vector>

// AbstractPropertyModel is the base of objects that offer a fixed, numbered
// set of properties to a property sheet: each id has a value and flags, and
// subclasses announce changes through valueChanged and flagsChanged.  The
// base answers for every id as a model without properties would; subclasses
// size propertyPresent in their constructor and override what they offer.
//
// GUI thread only.
class AbstractPropertyModel : public QObject
{
    Q_OBJECT

public:
    enum Flag {
        Enabled = 0x1,
        Visible = 0x2,
        Marked = 0x100,
    };
    Q_DECLARE_FLAGS(Flags, Flag)

    // The first model registers Flags with the meta-type system under
    // "AbstractPropertyModel::Flags", for queued connections and QVariant.
    explicit AbstractPropertyModel(QObject* parent = nullptr);
    ~AbstractPropertyModel() override;

    virtual QString modelTitle() const;
    // The size of propertyPresent.
    virtual int propertyCount() const;
    // An invalid QVariant in the base.
    virtual QVariant value(int propertyId) const;
    // False in the base: nothing changes.
    virtual bool setValue(int propertyId, const QVariant& value);
    virtual bool resetValue(int propertyId, int option);
    // Enabled | Visible in the base.
    virtual Flags flags(int propertyId) const;
    virtual QObject* editorObject(int propertyId) const;

signals:
    void valueChanged(int propertyId, const QVariant& value);
    void flagsChanged(int propertyId, AbstractPropertyModel::Flags flags);

protected:
    // One entry per property id; a subclass answers value() only where set.
    std::vector<bool> propertyPresent;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AbstractPropertyModel::Flags)
Q_DECLARE_METATYPE(AbstractPropertyModel::Flags)

// AbstractProxyPropertyModel re-announces a property's current value or
// flags on request, as the model's own (virtual) answers give them.
//
// GUI thread only.
class AbstractProxyPropertyModel : public AbstractPropertyModel
{
    Q_OBJECT

public:
    explicit AbstractProxyPropertyModel(QObject* parent = nullptr);

public slots:
    void emitValueChanged(int propertyId);
    void emitFlagsChanged(int propertyId);
};

#endif  // APPLICATIONS_COMMON_UTIL_ABSTRACT_PROPERTY_MODEL_H
