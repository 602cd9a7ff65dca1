#include "page_scripts.h"

#include <cstdio>

namespace sorvane_godot {

std::string json_quote(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else if (c == 0xe2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                       (static_cast<unsigned char>(text[i + 2]) == 0xa8 || static_cast<unsigned char>(text[i + 2]) == 0xa9)) {
                // Line and paragraph separators end a line in older JavaScript string literals.
                out += static_cast<unsigned char>(text[i + 2]) == 0xa8 ? "\\u2028" : "\\u2029";
                i += 2;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string result_reporting_script(const std::string& script, const std::string& marker, std::int64_t id)
{
    const std::string prefix = json_quote(marker);
    const std::string number = std::to_string(id);
    return "(async () => {\n"
           "  let report;\n"
           "  try {\n"
           "    const value = await (0, eval)(" + json_quote(script) + ");\n"
           "    report = " + prefix + " + 'R" + number + " ' + (JSON.stringify(value === undefined ? null : value) ?? 'null');\n"
           "  } catch (error) {\n"
           "    report = " + prefix + " + 'E" + number + " ' + JSON.stringify(String(error));\n"
           "  }\n"
           "  console.log(report);\n"
           "})();";
}

std::string title_reporting_script(const std::string& marker)
{
    return "(() => {\n"
           "  let last = null;\n"
           "  const report = () => {\n"
           "    if (document.title === last) return;\n"
           "    last = document.title;\n"
           "    console.log(" + json_quote(marker) + " + 'T ' + last);\n"
           "  };\n"
           "  report();\n"
           "  new MutationObserver(report).observe(document.head || document.documentElement,\n"
           "                                      {subtree: true, childList: true, characterData: true});\n"
           "})();";
}

PageReport parse_page_report(const std::string& message)
{
    PageReport report;
    if (message.empty())
        return report;
    const char kind = message[0];
    const std::size_t space = message.find(' ');
    if (space == std::string::npos)
        return report;
    report.text = message.substr(space + 1);
    if (kind == 'T') {
        report.kind = PageReport::Kind::Title;
        return report;
    }
    if (kind != 'R' && kind != 'E')
        return report;
    try {
        report.id = std::stoll(message.substr(1, space - 1));
    } catch (...) {
        return report;
    }
    report.kind = kind == 'R' ? PageReport::Kind::Result : PageReport::Kind::Error;
    return report;
}

}  // namespace sorvane_godot
