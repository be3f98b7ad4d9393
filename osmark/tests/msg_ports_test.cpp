// Message ports: creating and opening, sending, retrieving and replying, waiting, and
// the shared area's room.

#include "osmark/errors.h"
#include "osmark/msg_ports.h"
#include "platform/file_mapping.h"
#include "test_support/child_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string unique_name(const char* what)
{
    static int counter = 0;
    return std::string("msg_ports_test.") + what + "." + std::to_string(getpid()) + "." +
           std::to_string(++counter);
}

// A message with a text payload.
struct TextMsg {
    PortMsg header;
    char text[32];
};

TextMsg text_message(const char* text, uint8_t type = 0, char* reply_port = nullptr)
{
    TextMsg message{};
    message.header.pm_Type = type;
    message.header.pm_ReplyPort = reply_port;
    message.header.pm_Length = sizeof(TextMsg);
    std::strncpy(message.text, text, sizeof message.text - 1);
    return message;
}

const char* text_of(const PortMsg* message)
{
    return reinterpret_cast<const TextMsg*>(message)->text;
}

// A port created for the test and deleted with it.
class PortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_name = unique_name("port");
        m_port = CreateMsgPort(m_name.c_str(), TagEnd);
        ASSERT_NE(m_port, nullptr);
    }
    void TearDown() override
    {
        if (m_port != nullptr) {
            EXPECT_EQ(DeleteMsgPort(m_port), 1);
        }
    }
    bool send(const char* text, uint8_t type = 0, char* reply_port = nullptr)
    {
        TextMsg message = text_message(text, type, reply_port);
        return SendPortMsg(m_port, &message.header) == 1;
    }

    std::string m_name;
    MsgPort* m_port = nullptr;
};

TEST_F(PortTest, NamesAreUniqueAndOpenedByName)
{
    IoErr();
    EXPECT_EQ(CreateMsgPortA(m_name.c_str(), nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectExists);
    const std::string missing = unique_name("missing");
    EXPECT_EQ(LockMsgPort(missing.c_str()), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(CreateMsgPortA(nullptr, nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    MsgPort* other = LockMsgPort(m_name.c_str());
    ASSERT_NE(other, nullptr);
    TextMsg message = text_message("via the lock");
    EXPECT_EQ(SendPortMsg(other, &message.header), 1);
    EXPECT_EQ(UnlockMsgPort(other), 1);
    EXPECT_EQ(UnlockMsgPort(other), 0) << "no longer on the list";
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(UnlockMsgPort(m_port), 0) << "the creator's record is deleted, not unlocked";

    PortMsg* received = RetrievePortMsg(m_port);
    ASSERT_NE(received, nullptr);
    EXPECT_STREQ(text_of(received), "via the lock");
    EXPECT_EQ(ReplyPortMsg(received), 1);
}

TEST_F(PortTest, AMappingThatIsNoPortIsRefused)
{
    const std::string name = unique_name("plain");
    const HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16384, name.c_str());
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(LockMsgPort(name.c_str()), nullptr);
    EXPECT_EQ(IoErr(), IoErrWrongType);
    EXPECT_EQ(CreateMsgPortA(name.c_str(), nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectExists);
    CloseHandle(mapping);
}

TEST_F(PortTest, AClosedPortTakesRepliesOnly)
{
    EXPECT_EQ(CloseMsgPort(m_port), 1);
    EXPECT_EQ(LockMsgPort(m_name.c_str()), nullptr);
    EXPECT_EQ(IoErr(), IoErrLockError);
    EXPECT_FALSE(send("wants a reply", PortMsgWantsReply));
    EXPECT_EQ(IoErr(), IoErrLockError);
    EXPECT_TRUE(send("a reply", PortMsgReply));
    PortMsg* received = RetrievePortMsg(m_port);
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->pm_Type, PortMsgReply);
    ReplyPortMsg(received);
}

TEST_F(PortTest, MessagesComeInOrderBehindOnePendingSignal)
{
    EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0), WaitMsgPortTimeout) << "empty";
    ASSERT_TRUE(send("one"));
    ASSERT_TRUE(send("two"));
    ASSERT_TRUE(send("three"));
    EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0), WaitMsgPortPending);
    EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0), WaitMsgPortPending)
        << "still pending after a wait";

    std::vector<PortMsg*> received;
    for (const char* expected : {"one", "two", "three"}) {
        EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0), WaitMsgPortPending) << expected;
        PortMsg* message = RetrievePortMsg(m_port);
        ASSERT_NE(message, nullptr);
        EXPECT_STREQ(text_of(message), expected);
        EXPECT_EQ(message->pm_Port, m_port);
        received.push_back(message);
    }
    EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0), WaitMsgPortTimeout)
        << "the third retrieval emptied it";
    EXPECT_EQ(RetrievePortMsg(m_port), nullptr);
    EXPECT_EQ(WaitMsgPort(m_port, 10, nullptr, 0), WaitMsgPortTimeout);

    EXPECT_EQ(received[0]->pm_Number, 1);
    EXPECT_EQ(received[1]->pm_Number, 2);
    EXPECT_EQ(received[2]->pm_Number, 3);
    EXPECT_EQ(ReplyPortMsg(received[1]), 1);
    ASSERT_TRUE(send("four"));
    PortMsg* fourth = RetrievePortMsg(m_port);
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(fourth->pm_Number, 2) << "the smallest number not in use";
    // The rest are answered by DeleteMsgPort.
}

TEST_F(PortTest, TheAreaHoldsWhatFitsBelowItsFreeBytes)
{
    // An entry is 8 bytes and the message; it must stay below the 16368 free bytes.
    std::vector<unsigned char> block(16360 + sizeof(PortMsg), 0xA5);
    auto* message = reinterpret_cast<PortMsg*>(block.data());
    std::memset(message, 0, sizeof(PortMsg));
    message->pm_Length = 16360;
    EXPECT_EQ(SendPortMsg(m_port, message), 0);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0), WaitMsgPortTimeout) << "nothing was stored";

    message->pm_Length = 16359;
    ASSERT_EQ(SendPortMsg(m_port, message), 1) << "one byte remains: no end word past the area";
    PortMsg* received = RetrievePortMsg(m_port);
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->pm_Length, 16359u);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(received)[16358], 0xA5);
    ReplyPortMsg(received);

    // The retrieved room comes back when the next send needs it.
    message->pm_Length = 16000;
    EXPECT_EQ(SendPortMsg(m_port, message), 1);
    received = RetrievePortMsg(m_port);
    ASSERT_NE(received, nullptr);
    ReplyPortMsg(received);

    PortMsg short_message{};
    short_message.pm_Length = sizeof(PortMsg) - 1;
    EXPECT_EQ(SendPortMsg(m_port, &short_message), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(SendPortMsg(m_port, nullptr), 0);
}

TEST_F(PortTest, AStoredMessageLongerThanItsEntryIsPassedOver)
{
    ASSERT_TRUE(send("damaged"));
    ASSERT_TRUE(send("sound"));
    // Another process wrote the first message's length word beyond its entry.
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, m_name.c_str());
    ASSERT_NE(mapping, nullptr);
    auto* area = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(area, nullptr);
    const uint32_t huge = 0x7FFFFFFF;
    std::memcpy(area + 16 + 8 + offsetof(PortMsg, pm_Length), &huge, sizeof huge);
    PortMsg* received = RetrievePortMsg(m_port);
    ASSERT_NE(received, nullptr);
    EXPECT_STREQ(text_of(received), "sound");
    ReplyPortMsg(received);

    // An impossible entry length ends every walk there.
    const uint32_t impossible = 3;
    std::memcpy(area + 16, &impossible, sizeof impossible);
    EXPECT_EQ(RetrievePortMsg(m_port), nullptr);
    UnmapViewOfFile(area);
    CloseHandle(mapping);
}

TEST_F(PortTest, ReplyGoesToTheNamedPortAndDeleteAnswersWhatIsLeft)
{
    std::string answers_name = unique_name("answers");
    MsgPort* answers = CreateMsgPortA(answers_name.c_str(), nullptr);
    ASSERT_NE(answers, nullptr);
    ASSERT_TRUE(send("question", PortMsgWantsReply, answers_name.data()));
    ASSERT_TRUE(send("left over", PortMsgWantsReply, answers_name.data()));
    PortMsg* question = RetrievePortMsg(m_port);
    ASSERT_NE(question, nullptr);
    ASSERT_NE(question->pm_ReplyPort, nullptr);
    EXPECT_STREQ(question->pm_ReplyPort, answers_name.c_str());
    ASSERT_NE(RetrievePortMsg(m_port), nullptr);
    EXPECT_EQ(ReplyPortMsg(question), 1);

    EXPECT_EQ(DeleteMsgPort(m_port), 1);
    m_port = nullptr;
    for (const char* expected : {"question", "left over"}) {
        PortMsg* answer = RetrievePortMsg(answers);
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(answer->pm_Type, PortMsgReply);
        EXPECT_STREQ(text_of(answer), expected);
        ReplyPortMsg(answer);
    }
    EXPECT_EQ(ReplyPortMsg(nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(DeleteMsgPort(answers), 1);
    EXPECT_EQ(DeleteMsgPort(answers), 0);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
}

TEST_F(PortTest, APeerInAChildProcessGetsItsAnswer)
{
    std::string answers_name = unique_name("child_answers");
    int child_result = -1;
    std::thread peer([&] {
        child_result = test_support::run_in_child([&] {
            MsgPort* answers = CreateMsgPortA(answers_name.c_str(), nullptr);
            MsgPort* server = LockMsgPort(m_name.c_str());
            if (answers == nullptr || server == nullptr)
                return 1;
            TextMsg message =
                text_message("from the child", PortMsgWantsReply, answers_name.data());
            if (SendPortMsg(server, &message.header) != 1)
                return 2;
            if (WaitMsgPort(answers, 10000, nullptr, 0) != WaitMsgPortPending)
                return 3;
            PortMsg* answer = RetrievePortMsg(answers);
            if (answer == nullptr || answer->pm_Type != PortMsgReply ||
                std::strcmp(text_of(answer), "from the child") != 0)
                return 4;
            ReplyPortMsg(answer);
            UnlockMsgPort(server);
            DeleteMsgPort(answers);
            return 0;
        });
    });
    ASSERT_EQ(WaitMsgPort(m_port, 10000, nullptr, 0), WaitMsgPortPending);
    PortMsg* question = RetrievePortMsg(m_port);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->pm_Type, PortMsgWantsReply);
    EXPECT_EQ(ReplyPortMsg(question), 1);
    peer.join();
    EXPECT_EQ(child_result, 0);
}

TEST_F(PortTest, WaitWithAClassMaskSeesTheMessageToo)
{
    EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0xFFFFFFFFu), WaitMsgPortTimeout);
    std::thread sender([&] { send("late"); });
    EXPECT_EQ(WaitMsgPort(m_port, WaitMsgPortForever, nullptr, 0xFFFFFFFFu), WaitMsgPortPending);
    sender.join();
    EXPECT_EQ(WaitMsgPort(m_port, 0, nullptr, 0xFFFFFFFFu), WaitMsgPortPending);
    PortMsg* message = RetrievePortMsg(m_port);
    ASSERT_NE(message, nullptr);
    ReplyPortMsg(message);
}

TEST(MsgPorts, UnknownRecordsAreRefused)
{
    alignas(std::max_align_t) unsigned char fake[256] = {};
    auto* port = reinterpret_cast<MsgPort*>(fake);
    TextMsg message = text_message("x");
    EXPECT_EQ(SendPortMsg(port, &message.header), 0);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(RetrievePortMsg(port), nullptr);
    EXPECT_EQ(WaitMsgPort(port, 0, nullptr, 0), WaitMsgPortFailed);
    EXPECT_EQ(CloseMsgPort(port), 0);
    EXPECT_EQ(DeleteMsgPort(nullptr), 0);
    message.header.pm_Port = port;
    EXPECT_EQ(ReplyPortMsg(&message.header), 0);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
}

}
