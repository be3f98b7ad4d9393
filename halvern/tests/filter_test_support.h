// Files and folders for the DXF filter's tests: DXF text built from entities, a folder
// whose "tmp" is the temporary folder the filter uses, and reading a result back.
#ifndef HALVERN_TESTS_FILTER_TEST_SUPPORT_H
#define HALVERN_TESTS_FILTER_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "halvern/halvern.h"
#include "osmark/variables.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

namespace filter_test {

// One group as a DXF file has it: the code line, then the value line.
inline std::string group(int code, const std::string& value)
{
    return std::to_string(code) + "\n" + value + "\n";
}

inline std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

inline std::string line(double x1, double y1, double x2, double y2, const std::string& layer = "0")
{
    return group(0, "LINE") + group(8, layer) + group(10, number(x1)) + group(20, number(y1)) +
           group(30, "0") + group(11, number(x2)) + group(21, number(y2)) + group(31, "0");
}

inline std::string point(double x, double y, const std::string& layer = "0")
{
    return group(0, "POINT") + group(8, layer) + group(10, number(x)) + group(20, number(y)) +
           group(30, "0");
}

inline std::string circle(double x, double y, double radius)
{
    return group(0, "CIRCLE") + group(8, "0") + group(10, number(x)) + group(20, number(y)) +
           group(30, "0") + group(40, number(radius));
}

inline std::string insert(const std::string& block, double x, double y)
{
    return group(0, "INSERT") + group(8, "0") + group(2, block) + group(10, number(x)) +
           group(20, number(y)) + group(30, "0");
}

// A block definition with its members.
inline std::string block(const std::string& name, const std::string& members)
{
    return group(0, "BLOCK") + group(8, "0") + group(2, name) + group(70, "0") + group(10, "0") +
           group(20, "0") + group(30, "0") + group(3, name) + members + group(0, "ENDBLK") +
           group(8, "0");
}

// A whole file: a LAYER table, the BLOCKS section when blocks is not empty, the
// ENTITIES and EOF.
inline std::string dxf(const std::string& entities, const std::string& blocks = "")
{
    std::string text = group(0, "SECTION") + group(2, "TABLES") + group(0, "TABLE") +
                       group(2, "LAYER") + group(70, "1") + group(0, "LAYER") + group(2, "0") +
                       group(70, "0") + group(62, "7") + group(6, "CONTINUOUS") +
                       group(0, "ENDTAB") + group(0, "ENDSEC");
    if (!blocks.empty())
        text += group(0, "SECTION") + group(2, "BLOCKS") + blocks + group(0, "ENDSEC");
    return text + group(0, "SECTION") + group(2, "ENTITIES") + entities + group(0, "ENDSEC") +
           group(0, "EOF");
}

// A test folder whose "tmp" folder is the filter's temporary folder while it lives.
class FilterFolder : public test_support::TempFolder {
public:
    FilterFolder()
    {
        test_support::make_folders(path("tmp"));
        SetVar("TMP", path("tmp").c_str(), -1, 0);
    }
    ~FilterFolder() { DeleteVar("TMP", 0); }

    // The names in the temporary folder.
    std::vector<std::string> temporary_files() const
    {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(path("tmp"), error))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

// A drawing read from a file, released at the end of the test.
struct ReadBack {
    DXFDrawingRec drawing{};
    int32_t result = 0;

    explicit ReadBack(const std::string& file)
    {
        NewDXFDrawing(&drawing);
        result = ReadDXF(file.c_str(), &drawing);
    }
    ~ReadBack() { FreeDXFDrawing(&drawing); }
    ReadBack(const ReadBack&) = delete;
    ReadBack& operator=(const ReadBack&) = delete;

    // The top-level items, excluded ones left out.
    std::vector<ItemRec*> items() const
    {
        std::vector<ItemRec*> out;
        for (int32_t i = 0; i < drawing.dxf_ItemBuffer.ib_N; ++i) {
            ItemRec* item = drawing.dxf_ItemBuffer.ib_Items[i];
            if ((item->it_Header.ih_Flags & DXFItemExcluded) == 0)
                out.push_back(item);
        }
        return out;
    }
    std::vector<ItemRec*> items_of(int32_t type) const
    {
        std::vector<ItemRec*> out;
        for (ItemRec* item : items()) {
            if (item->it_Header.ih_ItemType == type)
                out.push_back(item);
        }
        return out;
    }
};

// A tag list under construction.
struct Tags {
    std::vector<TagItem> items;

    Tags& add(Tag tag, uintptr_t data)
    {
        items.push_back(TagItem{tag, data});
        return *this;
    }
    template <typename T>
    Tags& add(Tag tag, const T* data)
    {
        return add(tag, reinterpret_cast<uintptr_t>(data));
    }
    const TagItem* get()
    {
        items.push_back(TagItem{TagEnd, 0});
        return items.data();
    }
};

}

#endif
