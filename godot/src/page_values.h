// Godot values for the page and back, through the library's value model (sorvane/db.h): what a
// page reads of a GDScript object, and what a page's write or call hands to it.
//
// The page gets plain JSON-like values: numbers, text, booleans, null, and arrays of numbers for
// the vectors. Godot types the model has no place for travel as what they hold:
//   Color [r, g, b, a], Rect2 and Rect2i [x, y, width, height], Quaternion [x, y, z, w] and
//   Plane [a, b, c, d] (each as a 4-vector); StringName and NodePath as text; the packed arrays
//   as arrays; a Dictionary as an object (keys as text), an Array as an array (vectors inside
//   them as arrays of numbers). Any other type (transforms, bases, ...) reaches the page as its
//   text and is not written back. Objects, callables, signals and RIDs are not carried.
#pragma once

#include <sorvane/db.h>

#include <string>

#include "variant.h"

namespace sorvane_godot {

// The library's type number of a Godot type: Godot's own plus one.
sorvane::db::VariantTypeStd library_type(GDExtensionVariantType type);

// The type a value of `type` travels as (Color as VECTOR4, StringName as STRING, packed arrays as
// ARRAY, ...): the type the page's writes and calls are converted by.
sorvane::db::VariantTypeStd carried_type(GDExtensionVariantType type);

// Whether values of a type can travel at all (not objects, callables, signals, RIDs).
bool is_carried(GDExtensionVariantType type);

// A Godot value as the library carries it, under carried_type(value.type()).
sorvane::db::ContainerStd to_page(const Variant& value);

// What the page sent (a property it wrote, or a method argument) as a Godot value. `carried` is
// the type it travelled as; `wanted` the Godot type of the property or parameter (NIL: any), into
// which the value is converted where Godot can.
Variant from_page(const sorvane::db::ContainerStd& value, sorvane::db::VariantTypeStd carried,
                  GDExtensionVariantType wanted);

// Compact JSON of a Godot value (dictionaries, arrays and what they hold).
std::string to_json(const Variant& value);

// Whether two values are equal as Godot compares them (arrays and dictionaries by content).
bool same_value(const Variant& a, const Variant& b);

// A copy that later changes of `value` do not reach (arrays and dictionaries deeply copied).
Variant detached_copy(const Variant& value);

}  // namespace sorvane_godot
