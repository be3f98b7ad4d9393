#include "osmark/errors.h"
#include "osmark/gui_msgs.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

TEST(Fault, WritesTheTextWhenItFits)
{
    struct Row {
        IoErrCode code;
        const char* header;
        uint32_t size;
        int32_t result;
        const char* text;
    };
    const Row rows[] = {
        {IoErrObjectNotFound, nullptr, 17, 1, "object not found"},
        {IoErrObjectNotFound, nullptr, 16, 0, ""},
        {IoErrObjectNotFound, "hdr", 22, 1, "hdr: object not found"},
        {IoErrObjectNotFound, "hdr", 21, 0, ""},
        {IoErrObjectNotFound, "", 19, 1, ": object not found"},
        {-41, "hdr", 64, 1, "hdr: error code-41"},
        {-41, nullptr, 14, 1, "error code-41"},
        {-41, nullptr, 13, 0, ""},
        {IoErrNone, nullptr, 64, 1, "error code0"},
        {7, nullptr, 64, 1, "error code7"},
        {-398, nullptr, 64, 1, "error code-398"},   // a library code without a text
        {-400, nullptr, 64, 1, "error code-400"},   // a GUI word, not an error
        {INT32_MIN, nullptr, 64, 1, "error code-2147483648"},
        {IoErrUnknown, nullptr, 64, 1, "unknown error"},
        {IoErrNoMemory, nullptr, 64, 1, "insufficient memory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.code) + " size " + std::to_string(row.size));
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        IoErr();
        EXPECT_EQ(Fault(row.code, row.header, buffer, row.size), row.result);
        EXPECT_STREQ(buffer, row.text);
        EXPECT_EQ(IoErr(), row.result != 0 ? IoErrNone : IoErrBufferOverflow);
    }
}

TEST(Fault, RefusesWhatItCannotWrite)
{
    IoErr();
    EXPECT_EQ(Fault(IoErrObjectNotFound, nullptr, nullptr, 64), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    char untouched = 'x';
    EXPECT_EQ(Fault(IoErrObjectNotFound, nullptr, &untouched, 0), 0);
    EXPECT_EQ(untouched, 'x') << "no room even for the empty string";
    EXPECT_EQ(IoErr(), IoErrBufferOverflow);
}

TEST(Fault, FollowsTheCatalogue)
{
    char buffer[512];
    ASSERT_EQ(SetGUIMsg(IoErrObjectNotFound, "nicht gefunden"), 1);
    EXPECT_EQ(Fault(IoErrObjectNotFound, nullptr, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "nicht gefunden");
    SetGUIMsg(IoErrObjectNotFound, "object not found");

    ASSERT_EQ(SetGUIMsg(-403, "Fehler "), 1);
    EXPECT_EQ(Fault(-41, nullptr, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "Fehler -41");

    // A word too long for the work buffer is cut; the result stays a terminated text.
    const std::string long_word(400, 'w');
    SetGUIMsg(-403, long_word.c_str());
    EXPECT_EQ(Fault(-41, nullptr, buffer, sizeof buffer), 1);
    EXPECT_LT(std::strlen(buffer), long_word.size());
    EXPECT_EQ(std::string(buffer), std::string(std::strlen(buffer), 'w'));
    SetGUIMsg(-403, "error code");
}

}
