// Hash: string keys in buckets whose chains stay in ascending StrCmp order.

#include "osmark/hash.h"

#include "core/memory/memory_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

#include <cstddef>
#include <limits>

namespace {

bool is_prime(uint32_t n)
{
    // The table sizes are odd; below 4 everything counts as prime, so 0 gives one
    // bucket and 2 gives three.
    if (n < 4)
        return true;
    if (n % 2 == 0)
        return false;
    for (uint32_t divisor = 3; divisor <= n / divisor; divisor += 2) {
        if (n % divisor == 0)
            return false;
    }
    return true;
}

// The bucket count for a requested size, or 0 when it would not fit the count's width.
int32_t bucket_count_for(uint32_t size)
{
    uint64_t count = size % 2 == 0 ? uint64_t{size} + 1 : size;
    while (count <= uint64_t{std::numeric_limits<int32_t>::max()} && !is_prime(static_cast<uint32_t>(count)))
        count += 2;
    if (count > uint64_t{std::numeric_limits<int32_t>::max()})
        return 0;
    return static_cast<int32_t>(count);
}

// The key's bytes, unsigned, in big-endian words of up to four bytes, summed with
// wrap-around.
uint32_t key_sum(const char* key)
{
    uint32_t sum = 0;
    const auto* byte = reinterpret_cast<const unsigned char*>(key);
    while (*byte != 0) {
        uint32_t word = 0;
        for (int i = 0; i < 4 && *byte != 0; ++i, ++byte)
            word = word * 256 + *byte;
        sum += word;
    }
    return sum;
}

HashEntry** bucket_of(Hash* hash, const char* key, int32_t* index = nullptr)
{
    const uint32_t bucket = key_sum(key) % static_cast<uint32_t>(hash->hs_BucketCount);
    if (index != nullptr)
        *index = static_cast<int32_t>(bucket);
    return &hash->hs_Buckets[bucket];
}

int32_t missing_argument()
{
    osmark::set_io_error(IoErrRequiredArgMissing);
    return IoErrRequiredArgMissing;
}

int32_t chain_length(const HashEntry* entry)
{
    int32_t length = 0;
    for (; entry != nullptr; entry = entry->he_Next)
        ++length;
    return length;
}

}

extern "C" {

OSMARK_API Hash* HashCreate(uint32_t size) noexcept
{
    const int32_t buckets = bucket_count_for(size);
    if (buckets == 0) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    // One block: the record, then the bucket heads.
    const uint64_t bytes = sizeof(Hash) + uint64_t{static_cast<uint32_t>(buckets)} * sizeof(HashEntry*);
    auto* hash = static_cast<Hash*>(osmark::allocate_counted(bytes, true));
    if (hash == nullptr)
        return nullptr;
    hash->hs_BucketCount = buckets;
    hash->hs_UsedBuckets = 0;
    hash->hs_LongestChain = 0;
    hash->hs_Buckets = reinterpret_cast<HashEntry**>(hash + 1);
    return hash;
}

OSMARK_API int32_t HashAdd(Hash* hash, const char* key, uintptr_t value) noexcept
{
    if (hash == nullptr || key == nullptr)
        return missing_argument();
    HashEntry** head = bucket_of(hash, key);
    HashEntry** link = head;
    while (*link != nullptr && StrCmp((*link)->he_Key, key) < 0)
        link = &(*link)->he_Next;
    if (*link != nullptr && StrCmp((*link)->he_Key, key) == 0) {
        (*link)->he_Value = value;
        return 0;
    }
    auto* entry = static_cast<HashEntry*>(AllocVec(sizeof(HashEntry)));
    if (entry == nullptr)
        return osmark::make_error(IoErrNoMemory);
    entry->he_Key = AllocStr(0, key);
    if (entry->he_Key == nullptr) {
        FreeVec(entry);
        return osmark::make_error(IoErrNoMemory);
    }
    entry->he_Value = value;
    entry->he_Next = *link;
    if (*head == nullptr)
        ++hash->hs_UsedBuckets;
    *link = entry;
    const int32_t length = chain_length(*head);
    if (length > hash->hs_LongestChain)
        hash->hs_LongestChain = length;
    return 0;
}

OSMARK_API int32_t HashSearch(Hash* hash, const char* key, uintptr_t* value) noexcept
{
    if (value != nullptr)
        *value = 0;
    if (hash == nullptr || key == nullptr || value == nullptr)
        return missing_argument();
    // The chain is sorted, so the search stops at the first key that is not below.
    for (const HashEntry* entry = *bucket_of(hash, key); entry != nullptr; entry = entry->he_Next) {
        const int32_t order = StrCmp(entry->he_Key, key);
        if (order == 0) {
            *value = entry->he_Value;
            return 1;
        }
        if (order > 0)
            break;
    }
    osmark::set_io_error(IoErrObjectNotFound);
    return 0;
}

OSMARK_API int32_t HashRemove(Hash* hash, const char* key) noexcept
{
    if (hash == nullptr || key == nullptr)
        return missing_argument();
    for (HashEntry** link = bucket_of(hash, key); *link != nullptr; link = &(*link)->he_Next) {
        HashEntry* entry = *link;
        if (StrCmp(entry->he_Key, key) == 0) {
            *link = entry->he_Next;
            FreeStr(entry->he_Key);
            FreeVec(entry);
            return 0;
        }
    }
    osmark::set_io_error(IoErrObjectNotFound);
    return IoErrObjectNotFound;
}

OSMARK_API int32_t HashWalk(Hash* hash, HashWalkFunc callback, uintptr_t user_data) noexcept
{
    if (hash == nullptr || callback == nullptr)
        return missing_argument();
    for (int32_t bucket = 0; bucket < hash->hs_BucketCount; ++bucket) {
        HashEntry* entry = hash->hs_Buckets[bucket];
        while (entry != nullptr) {
            // Taken before the call, so the callback may remove the entry it is given.
            HashEntry* next = entry->he_Next;
            if (callback(hash, bucket, entry->he_Key, entry->he_Value, user_data) == 0)
                return 0;
            entry = next;
        }
    }
    return 0;
}

OSMARK_API int32_t HashDelete(Hash* hash) noexcept
{
    if (hash == nullptr)
        return missing_argument();
    for (int32_t bucket = 0; bucket < hash->hs_BucketCount; ++bucket) {
        HashEntry* entry = hash->hs_Buckets[bucket];
        while (entry != nullptr) {
            HashEntry* next = entry->he_Next;
            FreeStr(entry->he_Key);
            FreeVec(entry);
            entry = next;
        }
    }
    FreeVec(hash);
    return 0;
}

}
