// make_dxf: writes a large, deterministic DXF drawing for reading benchmarks.
//   make_dxf <output file> <size in MB> [ascii|binary|binary8]
// binary has two-byte group codes, binary8 one-byte codes; ascii is the default.

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "dxf_generator.h"

namespace {

constexpr uint64_t kMegabyte = 1024 * 1024;
// Beyond this a file is no benchmark input any more but a full disk.
constexpr uint64_t kLargestMegabytes = 4096;

int usage()
{
    std::fprintf(stderr, "usage: make_dxf <output file> <size in MB, 1 to %llu> [ascii|binary|binary8]\n",
                 static_cast<unsigned long long>(kLargestMegabytes));
    return 2;
}

}

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
        return usage();
    const std::string_view size_text = argv[2];
    uint64_t megabytes = 0;
    const auto parsed = std::from_chars(size_text.data(), size_text.data() + size_text.size(), megabytes);
    if (parsed.ec != std::errc{} || parsed.ptr != size_text.data() + size_text.size() || megabytes == 0 ||
        megabytes > kLargestMegabytes)
        return usage();
    dxf_bench::DxfForm form = dxf_bench::DxfForm::Ascii;
    if (argc == 4 && !dxf_bench::parse_dxf_form(argv[3], form))
        return usage();

    dxf_bench::DxfContents contents;
    std::string error;
    if (!dxf_bench::write_dxf_file(argv[1], form, megabytes * kMegabyte, contents, error)) {
        std::fprintf(stderr, "make_dxf: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %s DXF, %llu bytes, %llu entities, %u blocks with %llu members\n", argv[1],
                dxf_bench::dxf_form_name(form), static_cast<unsigned long long>(contents.bytes),
                static_cast<unsigned long long>(contents.entities), contents.blocks,
                static_cast<unsigned long long>(contents.block_members));
    return 0;
}
