// A writer of IGES files in the fixed 80-column form, from entities given as their
// directory fields and parameter text: for the reader's tests and the viewer's samples.
#ifndef HALVERN_TESTS_IGES_WRITER_H
#define HALVERN_TESTS_IGES_WRITER_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace iges_writer {

// One directory entry and its parameters. parameters is everything after the entity
// type, delimiters and the closing record delimiter included.
struct Entity {
    int32_t type;
    std::string parameters;
    int32_t level = 0;
    int32_t font = 0;
    int32_t colour = 0;
    int32_t matrix = 0; // directory pointer of a 124 entry
    int32_t status = 0; // 10000: physically dependent; + 1: hierarchy 01
    int32_t form = 0;
};

// The directory pointer (sequence number) of the entity at index.
inline int32_t de(size_t index)
{
    return static_cast<int32_t>(2 * index + 1);
}

struct IgesFile {
    std::vector<Entity> entities;
    int32_t unit_flag = 2;
    // The global text; empty gives the usual one with unit_flag.
    std::string global;
    char delimiter = ',';
    std::string line_end = "\n";
    bool start_section = true;
    std::string start = "Made by the IGES reader's tests.";
};

inline std::string field(int64_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%8lld", static_cast<long long>(value));
    return text;
}

inline std::string record(std::string data, char letter, int32_t sequence)
{
    data.resize(72, ' ');
    char tail[16];
    std::snprintf(tail, sizeof tail, "%c%07d", letter, sequence);
    return data + tail;
}

inline std::string default_global(int32_t unit_flag)
{
    return "1H,,1H;,4HSEND,6HF.IGES,3HSYS,3HPRE,32,38,6,308,15,4HRECV,1.0," +
           std::to_string(unit_flag) +
           ",2HMM,1,0.01,15H20240101.120000,0.001,100.0,4HAUTH,3HORG,11,0;";
}

inline std::vector<std::string> records(const IgesFile& file)
{
    std::vector<std::string> out;
    if (file.start_section)
        out.push_back(record(file.start, 'S', 1));
    const std::string global = file.global.empty() ? default_global(file.unit_flag) : file.global;
    int32_t g = 0;
    for (size_t at = 0; at < global.size(); at += 72)
        out.push_back(record(global.substr(at, 72), 'G', ++g));

    std::vector<std::string> directory;
    std::vector<std::string> parameters;
    for (size_t i = 0; i < file.entities.size(); ++i) {
        const Entity& entity = file.entities[i];
        const std::string text = std::to_string(entity.type) + file.delimiter + entity.parameters;
        const auto first = static_cast<int32_t>(parameters.size()) + 1;
        for (size_t at = 0; at < text.size(); at += 64) {
            std::string chunk = text.substr(at, 64);
            chunk.resize(64, ' ');
            parameters.push_back(
                record(chunk + field(de(i)), 'P', static_cast<int32_t>(parameters.size()) + 1));
        }
        const auto lines = static_cast<int32_t>(parameters.size()) + 1 - first;
        char status[16];
        std::snprintf(status, sizeof status, "%08d", entity.status);
        directory.push_back(record(field(entity.type) + field(first) + field(0) +
                                       field(entity.font) + field(entity.level) + field(0) +
                                       field(entity.matrix) + field(0) + status,
                                   'D', de(i)));
        directory.push_back(record(field(entity.type) + field(0) + field(entity.colour) +
                                       field(lines) + field(entity.form) + field(0) + field(0) +
                                       field(0) + field(0),
                                   'D', de(i) + 1));
    }
    out.insert(out.end(), directory.begin(), directory.end());
    out.insert(out.end(), parameters.begin(), parameters.end());
    char terminate[40];
    std::snprintf(terminate, sizeof terminate, "S%07dG%07dD%07dP%07d", file.start_section ? 1 : 0,
                  g, static_cast<int>(directory.size()), static_cast<int>(parameters.size()));
    out.push_back(record(terminate, 'T', 1));
    return out;
}

inline std::string write_iges(const IgesFile& file)
{
    std::string text;
    for (const std::string& line : records(file))
        text += line + file.line_end;
    return text;
}

}

#endif
