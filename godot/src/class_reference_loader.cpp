#include "class_reference.h"

#include "interface.h"

namespace sorvane_godot {

void load_class_reference()
{
    // Only an engine with the editor has this function (export templates lack it).
    if (!gd.editor_help_load_xml_from_utf8_chars)
        return;
    for (const char* const* xml = class_reference; *xml; ++xml)
        gd.editor_help_load_xml_from_utf8_chars(*xml);
}

}  // namespace sorvane_godot
