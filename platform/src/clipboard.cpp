// Global memory blocks and the clipboard over Qt's.

#include "make_win32_error.h"
#include "platform/clipboard.h"
#include "platform/kernel.h"
#include "platform/gdi.h"
#include "platform/user_windows.h"
#include "qt_application.h"

#include <QtCore/QByteArray>
#include <QtCore/QMimeData>
#include <QtCore/QString>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5
#endif

namespace {

struct GlobalBlock {
    UINT flags = 0;
    int locks = 0;
    std::vector<uint8_t> bytes;
};

std::mutex g_blocks_lock;
std::set<GlobalBlock*>& live_blocks()
{
    static std::set<GlobalBlock*> blocks;
    return blocks;
}

GlobalBlock* block_of(HGLOBAL handle)
{
    auto* block = static_cast<GlobalBlock*>(handle);
    return live_blocks().count(block) != 0 ? block : nullptr;
}

// ---- The clipboard -------------------------------------------------------------------

constexpr char kDibMime[] = "application/x-tarvek-dib";
constexpr char kTextMime[] = "text/plain";

struct ClipboardState {
    // The blocks' register is made first, so that it is still there when this goes.
    ClipboardState() { live_blocks(); }
    ~ClipboardState()
    {
        free_blocks(held);
        free_blocks(fetched);
    }
    ClipboardState(const ClipboardState&) = delete;
    ClipboardState& operator=(const ClipboardState&) = delete;
    static void free_blocks(std::map<UINT, HGLOBAL>& blocks);

    bool open = false;
    HWND owner = nullptr;
    // The blocks handed over by this process, by format, until the next EmptyClipboard.
    std::map<UINT, HGLOBAL> held;
    // Blocks made from what Qt holds, given out by GetClipboardData.
    std::map<UINT, HGLOBAL> fetched;
    std::map<std::string, UINT> registered; // lower-case name -> number
    UINT next_format = 0xC000;
};

std::mutex g_clipboard_lock;
ClipboardState& clipboard_state()
{
    static ClipboardState state;
    return state;
}

std::string lower(const char* name)
{
    std::string text(name);
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

std::string registered_name(const ClipboardState& state, UINT format)
{
    for (const auto& [name, number] : state.registered) {
        if (number == format)
            return name;
    }
    return {};
}

QString mime_of(const ClipboardState& state, UINT format)
{
    if (format == CF_TEXT)
        return QString::fromLatin1(kTextMime);
    if (format == CF_DIB)
        return QString::fromLatin1(kDibMime);
    const std::string name = registered_name(state, format);
    if (name.empty())
        return {};
    return QStringLiteral("application/x-tarvek-clip;name=") + QString::fromStdString(name);
}

void ClipboardState::free_blocks(std::map<UINT, HGLOBAL>& blocks)
{
    for (auto& entry : blocks)
        GlobalFree(entry.second);
    blocks.clear();
}

void free_blocks(std::map<UINT, HGLOBAL>& blocks)
{
    ClipboardState::free_blocks(blocks);
}

HGLOBAL block_with(const QByteArray& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes.size()));
    if (block == nullptr)
        return nullptr;
    if (void* memory = GlobalLock(block); memory != nullptr && !bytes.isEmpty())
        std::memcpy(memory, bytes.constData(), static_cast<size_t>(bytes.size()));
    GlobalUnlock(block);
    return block;
}

QClipboard* qt_clipboard()
{
    if (!platform::ensure_gui_application())
        return nullptr;
    return QGuiApplication::clipboard();
}

// What the held blocks give Qt: each format under its MIME type; text also as text.
void publish(const ClipboardState& state)
{
    QClipboard* clipboard = qt_clipboard();
    if (clipboard == nullptr)
        return;
    auto data = std::make_unique<QMimeData>();
    for (const auto& [format, handle] : state.held) {
        const QString mime = mime_of(state, format);
        if (mime.isEmpty())
            continue;
        QByteArray bytes;
        if (const void* memory = GlobalLock(handle); memory != nullptr) {
            bytes = QByteArray(static_cast<const char*>(memory),
                               static_cast<qsizetype>(GlobalSize(handle)));
            GlobalUnlock(handle);
        }
        if (format == CF_TEXT) {
            const qsizetype end = bytes.indexOf('\0');
            data->setText(QString::fromUtf8(end >= 0 ? bytes.left(end) : bytes));
        }
        data->setData(mime, bytes);
    }
    clipboard->setMimeData(data.release());
}

}

extern "C" {

PLATFORM_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) noexcept
{
    try {
        auto block = std::make_unique<GlobalBlock>();
        block->flags = flags;
        block->bytes.assign(bytes, 0);
        const std::lock_guard lock(g_blocks_lock);
        live_blocks().insert(block.get());
        return block.release();
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    } catch (const std::length_error&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API LPVOID GlobalLock(HGLOBAL handle) noexcept
{
    const std::lock_guard lock(g_blocks_lock);
    GlobalBlock* block = block_of(handle);
    if (block == nullptr) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->locks;
    // A block of 0 bytes still has an address.
    return block->bytes.empty() ? static_cast<void*>(block) : block->bytes.data();
}

PLATFORM_API BOOL GlobalUnlock(HGLOBAL handle) noexcept
{
    const std::lock_guard lock(g_blocks_lock);
    GlobalBlock* block = block_of(handle);
    if (block == nullptr || block->locks == 0)
        return FALSE;
    return --block->locks > 0 ? TRUE : FALSE;
}

PLATFORM_API SIZE_T GlobalSize(HGLOBAL handle) noexcept
{
    const std::lock_guard lock(g_blocks_lock);
    const GlobalBlock* block = block_of(handle);
    return block != nullptr ? block->bytes.size() : 0;
}

PLATFORM_API HGLOBAL GlobalFree(HGLOBAL handle) noexcept
{
    GlobalBlock* block = nullptr;
    {
        const std::lock_guard lock(g_blocks_lock);
        block = block_of(handle);
        if (block == nullptr)
            return handle;
        live_blocks().erase(block);
    }
    delete block;
    return nullptr;
}

PLATFORM_API BOOL OpenClipboard(HWND owner) noexcept
{
    const std::lock_guard lock(g_clipboard_lock);
    ClipboardState& state = clipboard_state();
    if (state.open && state.owner != owner) {
        platform::make_win32_error(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    state.open = true;
    state.owner = owner;
    return TRUE;
}

PLATFORM_API BOOL CloseClipboard(void) noexcept
{
    const std::lock_guard lock(g_clipboard_lock);
    ClipboardState& state = clipboard_state();
    if (!state.open)
        return FALSE;
    state.open = false;
    state.owner = nullptr;
    free_blocks(state.fetched);
    return TRUE;
}

PLATFORM_API BOOL EmptyClipboard(void) noexcept
{
    const std::lock_guard lock(g_clipboard_lock);
    ClipboardState& state = clipboard_state();
    if (!state.open)
        return FALSE;
    free_blocks(state.held);
    free_blocks(state.fetched);
    if (QClipboard* clipboard = qt_clipboard(); clipboard != nullptr)
        clipboard->clear();
    return TRUE;
}

PLATFORM_API HANDLE SetClipboardData(UINT format, HANDLE data) noexcept
{
    const std::lock_guard lock(g_clipboard_lock);
    ClipboardState& state = clipboard_state();
    if (!state.open || data == nullptr)
        return nullptr;
    try {
        if (auto found = state.held.find(format);
            found != state.held.end() && found->second != data)
            GlobalFree(found->second);
        state.held[format] = data;
        publish(state);
        return data;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API HANDLE GetClipboardData(UINT format) noexcept
{
    const std::lock_guard lock(g_clipboard_lock);
    ClipboardState& state = clipboard_state();
    if (!state.open)
        return nullptr;
    if (auto found = state.held.find(format); found != state.held.end())
        return found->second;
    if (auto found = state.fetched.find(format); found != state.fetched.end())
        return found->second;
    QClipboard* clipboard = qt_clipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr)
        return nullptr;
    try {
        QByteArray bytes;
        const QString mime = mime_of(state, format);
        if (!mime.isEmpty() && data->hasFormat(mime)) {
            bytes = data->data(mime);
        } else if (format == CF_TEXT && data->hasText()) {
            bytes = data->text().toUtf8();
            bytes.append('\0');
        } else {
            return nullptr;
        }
        HGLOBAL block = block_with(bytes);
        if (block != nullptr)
            state.fetched[format] = block;
        return block;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API BOOL IsClipboardFormatAvailable(UINT format) noexcept
{
    const std::lock_guard lock(g_clipboard_lock);
    ClipboardState& state = clipboard_state();
    if (state.held.count(format) != 0)
        return TRUE;
    QClipboard* clipboard = qt_clipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr)
        return FALSE;
    const QString mime = mime_of(state, format);
    if (!mime.isEmpty() && data->hasFormat(mime))
        return TRUE;
    return format == CF_TEXT && data->hasText() ? TRUE : FALSE;
}

PLATFORM_API UINT RegisterClipboardFormatA(LPCSTR name) noexcept
{
    if (name == nullptr || name[0] == '\0') {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::lock_guard lock(g_clipboard_lock);
    ClipboardState& state = clipboard_state();
    try {
        const std::string key = lower(name);
        if (auto found = state.registered.find(key); found != state.registered.end())
            return found->second;
        const UINT number = state.next_format++;
        state.registered.emplace(key, number);
        return number;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API UINT RegisterClipboardFormatW(LPCWSTR name) noexcept
{
    if (name == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        const QByteArray utf8 = QString::fromUtf16(name).toUtf8();
        return RegisterClipboardFormatA(utf8.constData());
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
}
