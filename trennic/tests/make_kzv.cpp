// make_kzv FOLDER: writes the sample part files into the folder (made when missing),
// for the viewer's samples and the fuzz seeds.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "part_file_samples.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_kzv FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const kzv::NamedPart& sample : kzv::sample_parts()) {
        const std::vector<uint8_t> bytes = kzv::write_part(sample.part);
        const std::filesystem::path path = folder / sample.file_name;
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::fprintf(stderr, "make_kzv: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    }
    return 0;
}
