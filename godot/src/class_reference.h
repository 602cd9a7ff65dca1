// The class reference of the extension's classes in Godot's XML documentation format, made by the
// build from godot/doc_classes/ and handed to the editor's help when the editor starts, so that
// it shows every member of every node like those of Godot's own classes.
#pragma once

namespace sorvane_godot {

// One XML document per class, ending with nullptr.
extern const char* const class_reference[];

// Loads the class reference into the editor's help; does nothing where Godot has no editor
// (an exported game's engine).
void load_class_reference();

}  // namespace sorvane_godot
