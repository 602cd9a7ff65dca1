#include "resource_files.h"

#include <cstring>
#include <vector>

#include <sorvane/sorvane.h>

#include "variant.h"

namespace sorvane_godot {

bool read_project_file(const std::string& path, std::vector<unsigned char>& out)
{
    out.clear();
    if (!call_static("FileAccess", "file_exists", {Variant(path)}).to_bool())
        return false;
    const Variant bytes = call_static("FileAccess", "get_file_as_bytes", {Variant(path)});
    if (bytes.type() != GDEXTENSION_VARIANT_TYPE_PACKED_BYTE_ARRAY)
        return false;
    const std::int64_t size = bytes.call("size").to_int();
    if (size <= 0)
        return true;
    alignas(8) std::uint8_t array[16];
    bytes.to_type(GDEXTENSION_VARIANT_TYPE_PACKED_BYTE_ARRAY, array);
    const std::uint8_t* data = gd.packed_byte_array_operator_index_const(array, 0);
    out.assign(data, data + size);
    gd.variant_get_ptr_destructor(GDEXTENSION_VARIANT_TYPE_PACKED_BYTE_ARRAY)(array);
    return true;
}

std::string project_path_for(const std::string& page_path)
{
    std::string relative = page_path;
    while (!relative.empty() && relative.front() == '/')
        relative.erase(0, 1);
    // No segment may be "..": the project's root is the top.
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        if (relative.compare(start, end - start, "..") == 0 && end - start == 2)
            return {};
        start = end + 1;
    }
    return "res://" + relative;
}

void serve_project_files()
{
    sorvane::SView().set_func_resource_file([](std::string path, bool&, unsigned long& size) -> unsigned char* {
        // The library copies the bytes before the next request can come (one thread asks).
        thread_local std::vector<unsigned char> bytes;
        size = 0;
        const std::string file = project_path_for(path);
        if (file.empty()) {
            print_warning("a page asked for " + path + ", outside the project: refused");
            return nullptr;
        }
        if (!read_project_file(file, bytes) || bytes.empty())
            return nullptr;
        size = bytes.size();
        return bytes.data();
    });
}

}  // namespace sorvane_godot
