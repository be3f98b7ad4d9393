/*
 * Message ports: named areas of shared memory through which the processes (and
 * threads) of one machine pass messages by copy.
 *
 * The creator of a port owns it; other processes open it by name (LockMsgPort), send
 * into it and let it go (UnlockMsgPort). A receiver waits on the port, takes the
 * messages one by one as private copies (RetrievePortMsg) and answers each
 * (ReplyPortMsg); a message that names a reply port and asks for an answer travels
 * back into that port as a reply.
 *
 * A port is 16384 bytes of shared memory under the port's name, guarded by the
 * semaphores "<name>_wait" (free while a message is pending) and "<name>_action" (the
 * lock of the area). Messages are copied byte for byte: they must not hold pointers
 * that the receiver needs.
 *
 * Every call finds its port record on Osmark's port list first; a record not on it is
 * refused with -25.
 */
#ifndef OSMARK_MSG_PORTS_H
#define OSMARK_MSG_PORTS_H

#include "osmark/api.h"
#include "osmark/hooks.h"
#include "osmark/lists.h"
#include "osmark/tags.h"

OSMARK_BEGIN_DECLS

struct Window;

/* A process's record of one port: on Osmark's port list (a Node of type 3 named with a
 * copy of the port's name); its other fields are Osmark's. */
typedef struct MsgPort MsgPort;
#define MsgPortNodeType 3

/* The caller's message: this header, then the payload. */
typedef struct PortMsg {
    MinNode pm_Node; /* links for the receiver's bookkeeping */
    uint8_t pm_Type; /* PortMsgTypes; other values need no reply */
    uint8_t pm_Pad;
    uint16_t pm_Number; /* given on retrieval, unique among the receiver's retrieved messages */
    MsgPort* pm_Port;   /* set on retrieval: the receiver's port record */
    char* pm_ReplyPort; /* name of the port that answers go to, or NULL */
    uint32_t pm_Length; /* the whole record in bytes, payload included: at least sizeof(PortMsg) */
} PortMsg;

enum PortMsgTypes {
    PortMsgWantsReply = 4,
    PortMsgReplied = 5,
    PortMsgReply = 6
};

/* The size of a port's shared area, and the bytes of messages it holds when empty. */
#define MsgPortAreaSize 16384
#define MsgPortAreaFree 16368

/* WaitMsgPort's results. */
enum WaitMsgPortResults {
    WaitMsgPortFailed = -1,
    WaitMsgPortWindowMsg = 0, /* a window message of the class mask is queued */
    WaitMsgPortTimeout = 1,
    WaitMsgPortPending = 10 /* the port holds a message not yet retrieved */
};
#define WaitMsgPortForever 0xFFFFFFFFu

/* Creates the port; no tags are defined. NULL with -10 when a port (or another shared
 * mapping) of that name exists, -4 for a NULL name, -1 or the translated system error
 * on failure. */
OSMARK_API MsgPort* CreateMsgPortA(const char* name, const TagItem* tags) OSMARK_NOEXCEPT;
/* Opens an existing port: NULL with -12 when there is none, -32 when the mapping of
 * that name is no port, -34 when the port is closed. */
OSMARK_API MsgPort* LockMsgPort(const char* name) OSMARK_NOEXCEPT;
/* Lets go of a record of LockMsgPort: 1, or 0 with -25 (also for the creator's own
 * record). */
OSMARK_API int32_t UnlockMsgPort(MsgPort* port) OSMARK_NOEXCEPT;
/* Copies the message into the port: 1, or 0 with -4 (NULL message, or one shorter than
 * a PortMsg), -25, -34 (the port is closed and the message is no reply), -1 (no room
 * even after the retrieved messages' room was taken back). */
OSMARK_API int32_t SendPortMsg(MsgPort* port, PortMsg* message) OSMARK_NOEXCEPT;
/* The next message not yet retrieved, as a private copy (its reply-port name behind
 * it) that the port owns until ReplyPortMsg; 0 when there is none (with -1 when the
 * copy cannot be made, -25 for an unknown port). */
OSMARK_API PortMsg* RetrievePortMsg(MsgPort* port) OSMARK_NOEXCEPT;
/* Answers a retrieved message: one of type 4 that names a reply port goes there as
 * type 6 (also when that port is closed); the message then has type 5, and the
 * retrieved copy of its number is freed (do not touch it afterwards). 1, or 0 with -4
 * for NULL, -25 when its port is unknown. */
OSMARK_API int32_t ReplyPortMsg(PortMsg* message) OSMARK_NOEXCEPT;
/* Waits up to timeout milliseconds (WaitMsgPortForever: no limit) for a pending
 * message; with a class mask also for a queued window message of window (NULL: any of
 * the thread's windows) whose class is in the mask, pumping the thread's messages
 * meanwhile. WaitMsgPortResults; the message stays pending (or queued). */
OSMARK_API int32_t WaitMsgPort(MsgPort* port, uint32_t timeout, struct Window* window,
                               uint32_t class_mask) OSMARK_NOEXCEPT;
/* Refuses every new message but replies from now on: 1, or 0 with -25. */
OSMARK_API int32_t CloseMsgPort(MsgPort* port) OSMARK_NOEXCEPT;
/* Answers every retrieved message, then lets go of the record (the area goes with its
 * last user): 1, or 0 with -25. */
OSMARK_API int32_t DeleteMsgPort(MsgPort* port) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

/* CreateMsgPort(name, tag, data, ..., TagEnd): the tags inline. */
#ifdef __cplusplus
template <typename... Words>
inline MsgPort* CreateMsgPort(const char* name, Words... words) noexcept
{
    uintptr_t items[] = {osmark_hook_word(words)..., 0, 0};
    TagItem tags[sizeof...(Words) / 2 + 1];
    for (size_t i = 0; i < sizeof...(Words) / 2 + 1; ++i) {
        tags[i].ti_Tag = static_cast<Tag>(items[2 * i]);
        tags[i].ti_Data = items[2 * i + 1];
    }
    return CreateMsgPortA(name, tags);
}
#else
#define CreateMsgPort(name, ...) CreateMsgPortA((name), (const TagItem*)(TagItem[]){__VA_ARGS__})
#endif

#endif
