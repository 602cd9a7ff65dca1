#pragma once

// Conversions between the engine's values and QVariant, as they travel between the page and the
// engine. Dictionaries and arrays travel as compact JSON text in the engine value's text
// alternative. All of them run on the Qt thread.

#include <QString>
#include <QVariant>

#include "sorvane/db.h"

namespace sorvane::db {

// A page write of a property value: FLOAT and the float vectors pass through single precision.
// A list shorter than the vector fills the missing components with 0.
ValueStd qvariant_to_std_value(const QVariant& value, VariantTypeStd type);

// Stores a page write in `property.value` according to its declared type (NIL: no change).
void set_value_from_qvariant(PropertyInfoStd& property, const QVariant& value);

// A page argument of a method call, always the scalar alternative. Double precision throughout;
// an undeclared type converts by the argument's own Qt type. The caller checks that a vector
// argument is a list long enough for the vector (see vector_size).
ContainerStd qvariant_to_std_container(const QVariant& value, VariantTypeStd type);

// An engine value for the page: property reads, change notices, signal arguments. A value the
// engine should never hold (a table or list alternative, or a non-text DICTIONARY or ARRAY)
// gives an invalid QVariant.
QVariant std_to_qvariant(const ContainerStd& value, VariantTypeStd type);

// Compact JSON text of a map or of a list.
std::string json_object_text(const QVariant& value);
std::string json_array_text(const QVariant& value);

// The number of components of a vector type, 0 for every other type.
int vector_size(VariantTypeStd type);

// The type's name in lower case, for messages ("int", "vector2").
QString type_text(VariantTypeStd type);

}  // namespace sorvane::db
