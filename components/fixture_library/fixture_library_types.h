// The records of the fixture library: a manufacturer and a function of its
// lists, and a fixture definition, one block of a definition file (the
// model with the key the library knows it by).
//
// Plain values; one thread uses a value at a time.
#ifndef FIXTURE_LIBRARY_FIXTURE_LIBRARY_TYPES_H
#define FIXTURE_LIBRARY_FIXTURE_LIBRARY_TYPES_H

#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/lx_objects/fixtures/fixture_model_spec.h"

#include <QString>

namespace FixtureLibraryTypes {

// A line of "manufacturers.csv".
struct Manufacturer
{
    quint16 id = 0;
    QString name;
    quint16 estaId = 0;

    bool operator==(const Manufacturer&) const = default;
};

// A line of "functions.csv": the display name and category letters of a
// standard function.
struct Function
{
    quint32 id = 0;
    QString name;
    QString letters;  // each one of "ipcbsmla"

    bool operator==(const Function&) const = default;
};

// The key's manufacturer and model are the model's manufacturer and product
// ids; its mode is the definition's "modeid".
struct FixtureDefinition
{
    FixtureModelKey key;
    FixtureModel model;

    bool operator==(const FixtureDefinition&) const = default;
};

}  // namespace FixtureLibraryTypes

#endif  // FIXTURE_LIBRARY_FIXTURE_LIBRARY_TYPES_H
