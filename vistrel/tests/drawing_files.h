// Drawing files for the drawing object's tests: DXF text as other programs write it,
// made from group lists.
#ifndef VISTREL_TESTS_DRAWING_FILES_H
#define VISTREL_TESTS_DRAWING_FILES_H

#include <string>
#include <utility>
#include <vector>

namespace drawing_files {

using Groups = std::vector<std::pair<int, std::string>>;

// "  0\nSECTION\n  2\nNAME\n" + groups + "  0\nENDSEC\n", codes right-aligned in three
// columns as most writers do.
inline std::string section(const std::string& name, const Groups& groups)
{
    const auto group = [](int code, const std::string& value) {
        std::string text = std::to_string(code);
        return std::string(text.size() < 3 ? 3 - text.size() : 0, ' ') + text + "\n" + value + "\n";
    };
    std::string text = group(0, "SECTION") + group(2, name);
    for (const auto& [code, value] : groups)
        text += group(code, value);
    return text + group(0, "ENDSEC");
}

inline std::string dxf(const std::vector<std::string>& sections)
{
    std::string text;
    for (const std::string& part : sections)
        text += part;
    return text + "  0\nEOF\n";
}

inline Groups line(const std::string& layer, double x1, double y1, double x2, double y2)
{
    return {{0, "LINE"},
            {8, layer},
            {10, std::to_string(x1)},
            {20, std::to_string(y1)},
            {11, std::to_string(x2)},
            {21, std::to_string(y2)}};
}

inline Groups operator+(Groups a, const Groups& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}

#endif
