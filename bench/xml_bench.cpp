// Speed of loading and saving XML documents of 10 and 20 MB.
//
// A generated document: a root holding parts, each with attributes, a few child values
// and a Base64 block, and one element whose text is a fifth of the document in one run
// (the case that turns quadratic when text grows in fixed steps). Benchmarks:
//   Load/10, Load/20   LoadFromStream from memory (8-bit text side);
//   Save/10, Save/20   SaveToStream into memory, readable output.
// Bytes per second are reported; the 20 MB figures should stay within 2.2 times the
// 10 MB ones.
//
//   xml_bench [benchmark flags]

#include <benchmark/benchmark.h>

#include "xml/xml_document.h"

#include <cstdint>
#include <string>

namespace {

std::string make_document(size_t megabytes)
{
    const size_t target = megabytes << 20;
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<parts>\n";
    text += "  <notes>" + std::string(target / 5, 'n') + "</notes>\n";
    for (uint32_t i = 0; text.size() < target; ++i) {
        const std::string n = std::to_string(i);
        text += "  <part id=\"" + n + "\" name=\"Bracket &amp; plate " + n +
                "\" material='S235'>\n"
                "    <width>" +
                std::to_string(i % 1000) +
                ".25</width>\n"
                "    <height>1.5E-3</height>\n"
                "    <done>True</done>\n"
                "    <shape>TWFueSBoYW5kcyBtYWtlIGxpZ2h0IHdvcms=</shape>\n"
                "  </part>\n";
    }
    return text + "</parts>\n";
}

const std::string& document_text(size_t megabytes)
{
    static const std::string ten = make_document(10);
    static const std::string twenty = make_document(20);
    return megabytes == 10 ? ten : twenty;
}

void BM_Load(benchmark::State& state)
{
    const std::string& text = document_text(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        vistrel::TxdStringStream stream(text);
        vistrel::TXmlDocument document;
        document.LoadFromStream(&stream);
        benchmark::DoNotOptimize(document.Root());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Load)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state)
{
    const std::string& text = document_text(static_cast<size_t>(state.range(0)));
    vistrel::TxdStringStream source(text);
    vistrel::TXmlDocument document;
    document.LoadFromStream(&source);
    document.SetXmlFormat(vistrel::xfReadable);
    // One output stream for all rounds, grown to the document's size by a save before
    // the timing starts, so that the rounds time the writer rather than the growth of
    // fresh memory (which a first round alone would pay, and rounds of the larger
    // document, being fewer, would share among fewer).
    vistrel::TxdStringStream out("");
    document.SaveToStream(&out);
    int64_t written = 0;
    for (auto _ : state) {
        out.SetPosition(0);
        document.SaveToStream(&out);
        written = out.Position();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * written);
}
BENCHMARK(BM_Save)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
