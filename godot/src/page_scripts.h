// Scripts the WebView runs in its pages, and how it reads what they report back. The library
// runs scripts without a result, so a script's result and the page's title come back as console
// messages that begin with the node's marker:
//
//   <marker>R<id> <JSON of the result>      the script numbered id ended with this value
//   <marker>E<id> <JSON of the error text>  the script numbered id threw
//   <marker>T <title>                       the page's title, at load and whenever it changes
#pragma once

#include <cstdint>
#include <string>

namespace sorvane_godot {

// A JavaScript string literal of the text (JSON rules, with U+2028 and U+2029 escaped too).
std::string json_quote(const std::string& text);

// The script, evaluated in the page's global scope and awaited, reporting its result or error.
std::string result_reporting_script(const std::string& script, const std::string& marker, std::int64_t id);

// Reports the title now and on every change of the document's head.
std::string title_reporting_script(const std::string& marker);

struct PageReport {
    enum class Kind { Result, Error, Title, Unknown } kind = Kind::Unknown;
    std::int64_t id = 0;
    std::string text;  // the JSON, or the title
};

// A report, without its marker.
PageReport parse_page_report(const std::string& message);

}  // namespace sorvane_godot
