// Argument parsing against templates.

#include "osmark/args.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/library.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uintptr_t kUntouched = 0xC0FFEE;

// One parse of a text; the block is released with the fixture.
struct Parse {
    std::string text;
    ArgBlock block{};
    uintptr_t slots[6] = {kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
    ArgBlock* result = nullptr;
    IoErrCode error = 0;

    Parse(const char* arg_template, const char* source, uint32_t flags = 0,
          std::vector<uintptr_t> initial = {})
        : text(source)
    {
        for (size_t i = 0; i < initial.size(); ++i)
            slots[i] = initial[i];
        block.ab_Source = text.c_str();
        block.ab_Length = static_cast<uint32_t>(text.size());
        block.ab_Flags = flags;
        IoErr();
        result = ReadArgs(arg_template, slots, &block);
        error = IoErr();
    }
    ~Parse() { FreeArgs(&block); }
    Parse(const Parse&) = delete;
    Parse& operator=(const Parse&) = delete;

    const char* string(size_t slot) const { return reinterpret_cast<const char*>(slots[slot]); }
    std::vector<std::string> strings(size_t slot) const
    {
        std::vector<std::string> list;
        for (auto** item = reinterpret_cast<char**>(slots[slot]); *item != nullptr; ++item)
            list.emplace_back(*item);
        return list;
    }
};

TEST(ReadArgs, KeywordsSwitchesAndPositions)
{
    const Parse parse("FROM/A,TO/K,QUIET/S", "a.dxf TO b.dxf QUIET");
    ASSERT_EQ(parse.result, &parse.block);
    EXPECT_STREQ(parse.string(0), "a.dxf");
    EXPECT_STREQ(parse.string(1), "b.dxf");
    EXPECT_EQ(parse.slots[2], 1u);

    const Parse missing("FROM/A,TO/K,QUIET/S", "TO=b.dxf");
    EXPECT_EQ(missing.result, nullptr);
    EXPECT_EQ(missing.error, IoErrRequiredArgMissing);
    EXPECT_EQ(missing.block.ab_Parse, nullptr) << "a failure frees its parse";

    const Parse alternative("FROM=SOURCE/A,TO/K", "to = out source=in");
    ASSERT_NE(alternative.result, nullptr);
    EXPECT_STREQ(alternative.string(0), "in");
    EXPECT_STREQ(alternative.string(1), "out");
}

TEST(ReadArgs, MultipleItemsCollectThePositions)
{
    const Parse files("FILES/M,ALL/S", "x y ALL z");
    ASSERT_NE(files.result, nullptr);
    EXPECT_EQ(files.strings(0), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(files.slots[1], 1u);

    // Required items around the multiple one take from the front and the back.
    const Parse around("FIRST/A,MIDDLE/M,LAST/A", "a b c d");
    ASSERT_NE(around.result, nullptr);
    EXPECT_STREQ(around.string(0), "a");
    EXPECT_EQ(around.strings(1), (std::vector<std::string>{"b", "c"}));
    EXPECT_STREQ(around.string(2), "d");

    const Parse numbers("N/M/N", "1 x 0x10");
    ASSERT_NE(numbers.result, nullptr);
    auto** values = reinterpret_cast<int32_t**>(numbers.slots[0]);
    ASSERT_NE(values[0], nullptr);
    EXPECT_EQ(*values[0], 1);
    ASSERT_NE(values[1], nullptr);
    EXPECT_EQ(*values[1], 16) << "a word that is no number is left out";
    EXPECT_EQ(values[2], nullptr);

    const Parse bad_keyword("N/M/N", "N=x");
    EXPECT_EQ(bad_keyword.result, nullptr);
    EXPECT_EQ(bad_keyword.error, IoErrBadNumber);
}

TEST(ReadArgs, NumbersRealsAndToggles)
{
    struct Row {
        const char* arg_template;
        const char* text;
        std::vector<uintptr_t> initial;
        IoErrCode error;
        uintptr_t first;
    };
    const Row rows[] = {
        {"COUNT/N", "0x10", {}, 0, 16},
        {"COUNT/N", "COUNT=010", {}, 0, 8},
        {"COUNT/N", "COUNT=12abc", {}, IoErrBadNumber, 0},
        {"COUNT/N", "12abc", {}, 0, 12},
        {"COUNT/N", "-5", {}, 0, static_cast<uintptr_t>(intptr_t{-5})},
        {"A/T", "A", {1}, 0, 0},
        {"A/T", "A A", {1}, 0, 1},
        {"A/T/S", "A", {0}, 0, 1},
        {"NAME,SIZE/N", "7", {}, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.arg_template) + " " + row.text);
        const Parse parse(row.arg_template, row.text, 0, row.initial);
        EXPECT_EQ(parse.error, row.error);
        if (row.error != 0) {
            EXPECT_EQ(parse.result, nullptr);
            continue;
        }
        ASSERT_NE(parse.result, nullptr);
        if (std::strcmp(row.arg_template, "NAME,SIZE/N") == 0) {
            EXPECT_STREQ(parse.string(0), "7");
            EXPECT_EQ(parse.slots[1], kUntouched) << "left as the caller set it";
        } else {
            EXPECT_EQ(parse.slots[0], row.first);
        }
    }

    const Parse real("SCALE/D", "2.5");
    ASSERT_NE(real.result, nullptr);
    EXPECT_DOUBLE_EQ(*reinterpret_cast<const double*>(real.slots[0]), 2.5);
    const Parse both("SCALE/N/D", "SCALE 1e3");
    ASSERT_NE(both.result, nullptr);
    EXPECT_DOUBLE_EQ(*reinterpret_cast<const double*>(both.slots[0]), 1000.0) << "/D over /N";
}

TEST(ReadArgs, FinalItemsAndQuotes)
{
    const Parse whole("TEXT/F", "hello world");
    ASSERT_NE(whole.result, nullptr);
    EXPECT_STREQ(whole.string(0), " hello world");

    const Parse after_name("NAME,REST/F", "x REST a \"b\" c");
    ASSERT_NE(after_name.result, nullptr);
    EXPECT_STREQ(after_name.string(0), "x");
    EXPECT_STREQ(after_name.string(1), " a \"b\" c");

    const Parse quoted("NAME,TO", "\"TO\" \"a b\"");
    ASSERT_NE(quoted.result, nullptr);
    EXPECT_STREQ(quoted.string(0), "TO") << "a quoted name is a position";
    EXPECT_STREQ(quoted.string(1), "a b");

    const Parse empty_quotes("NAME", "\"\"");
    ASSERT_NE(empty_quotes.result, nullptr);
    EXPECT_STREQ(empty_quotes.string(0), "");

    const Parse dropped("NAME,TO/K", "x TO");
    ASSERT_NE(dropped.result, nullptr);
    EXPECT_EQ(dropped.slots[1], kUntouched) << "a keyword at the end is dropped";
}

TEST(ReadArgs, TokenBuffers)
{
    const std::string long_word(300, 'w');
    const Parse grown("NAME", long_word.c_str());
    ASSERT_NE(grown.result, nullptr);
    EXPECT_EQ(grown.string(0), long_word);
    EXPECT_EQ(grown.block.ab_Buffer, nullptr) << "the call's own buffer is gone";

    char buffer[4];
    std::string text = "abcd";
    ArgBlock block{};
    block.ab_Source = text.c_str();
    block.ab_Length = 4;
    block.ab_Buffer = buffer;
    block.ab_BufferSize = sizeof buffer;
    uintptr_t slot = kUntouched;
    EXPECT_EQ(ReadArgs("NAME", &slot, &block), nullptr);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    text = "abc";
    block.ab_Length = 3;
    block.ab_Position = 0;
    ASSERT_EQ(ReadArgs("NAME", &slot, &block), &block);
    EXPECT_STREQ(reinterpret_cast<const char*>(slot), "abc");
    FreeArgs(&block);

    EXPECT_EQ(ReadArgs(nullptr, &slot, &block), nullptr);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
}

TEST(ReadArgs, HelpRequests)
{
    const Parse quiet("FROM/A,TO/K", "x ?", ArgBlockNeverPrompt);
    ASSERT_NE(quiet.result, nullptr);
    EXPECT_STREQ(quiet.string(0), "x");
    const Parse nothing_yet("FROM/A", "?", ArgBlockNeverPrompt);
    EXPECT_NE(nothing_yet.result, nullptr);

    // Without the flag: the template and " : " go out, one line comes in.
    const test_support::TempFolder folder;
    const std::string answer_path = folder.write("answer", "a.dxf QUIET\nnot read\n");
    const std::string prompt_path = folder.path("prompt");
    FileHandle* answer = Open(answer_path.c_str(), FileModeRead);
    FileHandle* prompt = Open(prompt_path.c_str(), FileModeWrite);
    ASSERT_NE(answer, nullptr);
    ASSERT_NE(prompt, nullptr);
    FileHandle* old_input = SelectInput(answer);
    FileHandle* old_output = SelectOutput(prompt);
    {
        const Parse asked("FROM/A,TO/K,QUIET/S", "TO b ?");
        SelectInput(old_input);
        SelectOutput(old_output);
        ASSERT_NE(asked.result, nullptr);
        EXPECT_STREQ(asked.string(0), "a.dxf");
        EXPECT_STREQ(asked.string(1), "b") << "values given before the prompt stay";
        EXPECT_EQ(asked.slots[2], 1u);
        EXPECT_TRUE(asked.block.ab_Flags & ArgBlockFromInput);
    }
    Close(answer);
    Close(prompt);
    FileHandle* written = Open(prompt_path.c_str(), FileModeRead);
    ASSERT_NE(written, nullptr);
    char text[64] = {};
    Read(written, text, sizeof text - 1);
    Close(written);
    EXPECT_STREQ(text, "FROM/A,TO/K,QUIET/S : ");
}

TEST(ReadArgs, BlocksOverTheProgramsArguments)
{
    auto* block = static_cast<ArgBlock*>(AllocDosObjectA(DosObjectArgBlock, nullptr));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->ab_Source, GetArgStr());
    const std::string text = "kept until freed";
    block->ab_Source = text.c_str();
    block->ab_Length = static_cast<uint32_t>(text.size());
    uintptr_t slots[3] = {};
    ASSERT_EQ(ReadArgs("A,B,C", slots, block), block);
    EXPECT_STREQ(reinterpret_cast<const char*>(slots[2]), "freed");
    FreeDosObject(DosObjectArgBlock, block); // frees the parse as FreeArgs does
}

}
