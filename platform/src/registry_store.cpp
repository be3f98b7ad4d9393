// The registry's store files: reading, writing and locking.

#include "registry_store.h"

#include "make_win32_error.h"
#include "unique_fd.h"
#include "xdg_folders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>

namespace platform::registry {

namespace {

constexpr std::string_view kFormatLine = "tarvek-registry 1";
constexpr std::string_view kEmptyName = "@";
constexpr char kHexDigits[] = "0123456789abcdef";
// ERROR_REGISTRY_CORRUPT: the code under which damage in a store file is traced. The
// reader never fails (what does not parse is passed over), so it is never returned.
constexpr LSTATUS kStoreDamaged = 1015;

char fold(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ---- Names ------------------------------------------------------------------------

// Bytes that a name token writes as "%xx": everything that is not printable ASCII, and
// the three bytes that would make the token ambiguous.
bool needs_escape(unsigned char c)
{
    return c <= 0x20 || c >= 0x7F || c == '%' || c == '@';
}

void append_name(std::string& out, std::string_view name)
{
    if (name.empty()) {
        out += kEmptyName;
        return;
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (needs_escape(byte)) {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 15];
        } else {
            out += c;
        }
    }
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> parse_name(std::string_view token)
{
    if (token == kEmptyName)
        return std::string();
    if (token.empty())
        return std::nullopt;
    std::string name;
    for (size_t i = 0; i < token.size(); ++i) {
        if (token[i] != '%') {
            if (needs_escape(static_cast<unsigned char>(token[i])))
                return std::nullopt;
            name += token[i];
            continue;
        }
        if (token.size() - i < 3)
            return std::nullopt;
        const int high = hex_value(token[i + 1]);
        const int low = hex_value(token[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (name.size() > kMaxNameLength)
        return std::nullopt;
    return name;
}

std::optional<std::vector<uint8_t>> parse_data(std::string_view token)
{
    if (token.empty() || token[0] != 'x' || (token.size() - 1) % 2 != 0 ||
        (token.size() - 1) / 2 > kMaxValueSize)
        return std::nullopt;
    std::vector<uint8_t> data;
    data.reserve((token.size() - 1) / 2);
    for (size_t i = 1; i < token.size(); i += 2) {
        const int high = hex_value(token[i]);
        const int low = hex_value(token[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        data.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return data;
}

std::optional<DWORD> parse_type(std::string_view token)
{
    DWORD type = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), type);
    if (error != std::errc() || end != token.data() + token.size())
        return std::nullopt;
    return type;
}

// Splits a line at single blanks into at most four tokens; false for more.
bool split_tokens(std::string_view line, std::vector<std::string_view>& tokens)
{
    tokens.clear();
    while (true) {
        const size_t blank = line.find(' ');
        tokens.push_back(line.substr(0, blank));
        if (tokens.size() > 4)
            return false;
        if (blank == std::string_view::npos)
            return true;
        line.remove_prefix(blank + 1);
    }
}

// ---- Files ------------------------------------------------------------------------

const char* hive_file_name(Hive hive)
{
    return hive == Hive::CurrentUser ? "current_user" : "local_machine";
}

std::optional<std::string> store_folder()
{
    std::optional<std::string> config = xdg_config_home();
    if (!config)
        return std::nullopt;
    return *config + "/tarvek/registry";
}

std::optional<std::string> read_file(const std::string& path)
{
    const UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return std::nullopt;
    struct stat status {};
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<uint64_t>(status.st_size) > kMaxStoreFileSize)
        return std::nullopt;
    std::string text;
    char chunk[8192];
    while (true) {
        const ssize_t count = read(file.get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            return text;
        text.append(chunk, static_cast<size_t>(count));
        // The file may grow while it is read; the limit holds all the same.
        if (text.size() > kMaxStoreFileSize)
            return std::nullopt;
    }
}

bool write_all(int descriptor, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t count = write(descriptor, text.data(), text.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(count));
    }
    return true;
}

std::atomic<uint32_t> g_temporary_counter{0};

}

// ---- Keys and values --------------------------------------------------------------

std::string normalise_path(std::string_view path)
{
    std::string result;
    while (!path.empty()) {
        const size_t separator = path.find('\\');
        const std::string_view component = path.substr(0, separator);
        if (!component.empty()) {
            if (!result.empty())
                result += '\\';
            result += component;
        }
        if (separator == std::string_view::npos)
            break;
        path.remove_prefix(separator + 1);
    }
    return result;
}

std::string join_paths(std::string_view parent, std::string_view child)
{
    std::string path(parent);
    const std::string tail = normalise_path(child);
    if (!path.empty() && !tail.empty())
        path += '\\';
    path += tail;
    return path;
}

std::string folded_name(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        c = fold(c);
    return folded;
}

const Value* Key::find_value(std::string_view name) const
{
    const auto found = m_index.find(folded_name(name));
    return found != m_index.end() ? &m_values[found->second] : nullptr;
}

void Key::set_value(std::string_view name, DWORD type, std::vector<uint8_t> data)
{
    std::string folded = folded_name(name);
    const auto found = m_index.find(folded);
    if (found != m_index.end()) {
        m_values[found->second].type = type;
        m_values[found->second].data = std::move(data);
        return;
    }
    m_values.push_back(Value{std::string(name), type, std::move(data)});
    m_index.emplace(std::move(folded), m_values.size() - 1);
}

Store::Store()
{
    m_keys.emplace_back(std::string());
    m_index.emplace(std::string(), 0);
}

Key* Store::find(std::string_view path)
{
    const auto found = m_index.find(folded_name(path));
    return found != m_index.end() ? &m_keys[found->second] : nullptr;
}

const Key* Store::find(std::string_view path) const
{
    return const_cast<Store*>(this)->find(path);
}

Key& Store::ensure(std::string_view path)
{
    // The keys above first, so that the store never holds a key without its parent.
    size_t separator = path.find('\\');
    while (true) {
        const std::string_view level = path.substr(0, separator);
        std::string folded = folded_name(level);
        if (m_index.find(folded) == m_index.end()) {
            m_keys.emplace_back(std::string(level));
            m_index.emplace(std::move(folded), m_keys.size() - 1);
        }
        if (separator == std::string_view::npos)
            return *find(path);
        separator = path.find('\\', separator + 1);
    }
}

// ---- The text form ----------------------------------------------------------------

std::string format_store(const Store& store)
{
    std::string text(kFormatLine);
    text += '\n';
    for (const Key& key : store.keys()) {
        text += "key ";
        append_name(text, key.path());
        text += '\n';
        for (const Value& value : key.values()) {
            text += "value ";
            append_name(text, value.name);
            text += ' ';
            text += std::to_string(value.type);
            text += " x";
            for (const uint8_t byte : value.data) {
                text += kHexDigits[byte >> 4];
                text += kHexDigits[byte & 15];
            }
            text += '\n';
        }
    }
    return text;
}

Store parse_store(std::string_view text)
{
    Store store;
    if (text.size() > kMaxStoreFileSize) {
        platform::make_win32_status(kStoreDamaged);
        return store;
    }
    const size_t first_end = text.find('\n');
    if (text.substr(0, first_end) != kFormatLine) {
        platform::make_win32_status(kStoreDamaged);
        return store;
    }
    text.remove_prefix(first_end == std::string_view::npos ? text.size() : first_end + 1);

    std::vector<std::string_view> tokens;
    std::string current_key;
    bool in_key = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!split_tokens(line, tokens)) {
            platform::make_win32_status(kStoreDamaged);
            continue;
        }
        if (tokens[0] == "key" && tokens.size() == 2) {
            const std::optional<std::string> path = parse_name(tokens[1]);
            // A path read from the file is normalised like any other, so that "a\\b"
            // cannot hide beside "a\b".
            in_key = path.has_value();
            if (in_key) {
                current_key = normalise_path(*path);
                store.ensure(current_key);
            } else {
                platform::make_win32_status(kStoreDamaged);
            }
            continue;
        }
        if (tokens[0] != "value" || tokens.size() != 4 || !in_key) {
            platform::make_win32_status(kStoreDamaged);
            continue;
        }
        std::optional<std::string> name = parse_name(tokens[1]);
        const std::optional<DWORD> type = parse_type(tokens[2]);
        std::optional<std::vector<uint8_t>> data = parse_data(tokens[3]);
        if (!name || !type || !data) {
            platform::make_win32_status(kStoreDamaged);
            continue;
        }
        store.find(current_key)->set_value(*name, *type, std::move(*data));
    }
    return store;
}

// ---- Files ------------------------------------------------------------------------

Store read_store(Hive hive)
{
    const std::optional<std::string> folder = store_folder();
    if (!folder)
        return Store();
    const std::optional<std::string> text = read_file(*folder + '/' + hive_file_name(hive));
    return text ? parse_store(*text) : Store();
}

StoreLock::StoreLock(Hive hive)
{
    const std::optional<std::string> folder = store_folder();
    if (!folder || !make_folders(*folder))
        return;
    const std::string path = *folder + '/' + hive_file_name(hive) + ".lock";
    UniqueFd file(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (file.get() < 0)
        return;
    int locked;
    while ((locked = flock(file.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked == 0)
        m_descriptor = std::move(file);
}

StoreLock::~StoreLock()
{
    if (m_descriptor)
        flock(m_descriptor.get(), LOCK_UN);
}

bool write_store(Hive hive, const Store& store)
{
    const std::optional<std::string> folder = store_folder();
    if (!folder || !make_folders(*folder))
        return false;
    const std::string path = *folder + '/' + hive_file_name(hive);
    const std::string temporary = path + ".tmp." + std::to_string(getpid()) + '.' +
                                  std::to_string(g_temporary_counter.fetch_add(1));
    const std::string text = format_store(store);
    UniqueFd file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (file.get() < 0)
        return false;
    const bool written = write_all(file.get(), text) && fsync(file.get()) == 0;
    const bool closed = close(file.release()) == 0;
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}
