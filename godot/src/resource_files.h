// The library's "res" scheme inside Godot: a page's address res://<any host>/<path> is answered
// with the project file res://<path>, read through Godot's file access, so that files packed into
// an exported game are served as well. The host part names nothing (the scheme hands over only
// the path), so res://game/ui/menu.html is the project's res://ui/menu.html.
#pragma once

#include <string>
#include <vector>

namespace sorvane_godot {

// The project path that a page's path stands for, or "" when it may not be served (a path that
// climbs out of the project with "..").
std::string project_path_for(const std::string& page_path);

// The bytes of a project file (res://...), through Godot's file access; false when there is no
// such file. Any thread: Godot's file access may be used from any thread, and nothing here waits
// for Godot's threads.
bool read_project_file(const std::string& path, std::vector<unsigned char>& out);

// Installs the answer on the library (once it has started). Any thread.
void serve_project_files();

}  // namespace sorvane_godot
