// TList, TObjectList and TThreadList.

#include "framework/classes.h"

#include <algorithm>
#include <new>

namespace fw {

// ---- TList -------------------------------------------------------------------------------

TList::~TList()
{
    // Only this class's Notify is reached from here; see the header.
    TList::Clear();
}

void TList::Error(const QString& format, int64_t data)
{
    throw EListError(Format(format, {static_cast<long long>(data)}));
}

void TList::check_index(int index) const
{
    if (index < 0 || index >= Count())
        Error(QStringLiteral("List index out of bounds (%d)"), index);
}

void TList::SetCount(int count)
{
    if (count < 0)
        Error(QStringLiteral("List count out of bounds (%d)"), count);
    while (Count() > count)
        Delete(Count() - 1);
    m_items.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int capacity)
{
    if (capacity < Count())
        Error(QStringLiteral("List capacity out of bounds (%d)"), capacity);
    if (static_cast<size_t>(capacity) > m_items.capacity())
        m_items.reserve(static_cast<size_t>(capacity));
    else
        m_items.shrink_to_fit();
}

void* TList::Items(int index) const
{
    check_index(index);
    return m_items[static_cast<size_t>(index)];
}

void TList::SetItems(int index, void* item)
{
    check_index(index);
    void* const old = m_items[static_cast<size_t>(index)];
    if (old == item)
        return;
    m_items[static_cast<size_t>(index)] = item;
    if (old != nullptr)
        Notify(old, lnDeleted);
    if (item != nullptr)
        Notify(item, lnAdded);
}

void* TList::First() const
{
    return Items(0);
}

void* TList::Last() const
{
    return Items(Count() - 1);
}

int TList::Add(void* item)
{
    m_items.push_back(item);
    if (item != nullptr)
        Notify(item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count())
        Error(QStringLiteral("List index out of bounds (%d)"), index);
    m_items.insert(m_items.begin() + index, item);
    if (item != nullptr)
        Notify(item, lnAdded);
}

void TList::Delete(int index)
{
    check_index(index);
    void* const item = m_items[static_cast<size_t>(index)];
    m_items.erase(m_items.begin() + index);
    if (item != nullptr)
        Notify(item, lnDeleted);
}

void TList::Clear()
{
    SetCount(0);
    m_items.shrink_to_fit();
}

void TList::Exchange(int index1, int index2)
{
    check_index(index1);
    check_index(index2);
    std::swap(m_items[static_cast<size_t>(index1)], m_items[static_cast<size_t>(index2)]);
}

void TList::Move(int current_index, int new_index)
{
    if (current_index == new_index)
        return;
    check_index(current_index);
    check_index(new_index);
    void* const item = m_items[static_cast<size_t>(current_index)];
    m_items.erase(m_items.begin() + current_index);
    m_items.insert(m_items.begin() + new_index, item);
}

int TList::IndexOf(const void* item) const
{
    const auto found = std::find(m_items.begin(), m_items.end(), item);
    return found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

int TList::Remove(const void* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(const void* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return nullptr;
    void* const found = m_items[static_cast<size_t>(index)];
    m_items.erase(m_items.begin() + index);
    Notify(found, lnExtracted);
    return found;
}

void TList::Pack()
{
    std::erase(m_items, nullptr);
}

void TList::Sort(const TListSortCompare& compare)
{
    std::stable_sort(m_items.begin(), m_items.end(),
                     [&compare](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Notify(void* /*item*/, TListNotification /*action*/)
{
}

// ---- TObjectList -----------------------------------------------------------------------

TObjectList::~TObjectList()
{
    Clear();
}

void TObjectList::Notify(void* item, TListNotification action)
{
    if (m_owns_objects && action == lnDeleted)
        Free(static_cast<TObject*>(item));
    TList::Notify(item, action);
}

// ---- TThreadList -----------------------------------------------------------------------

void TThreadList::Add(void* item)
{
    const std::lock_guard guard(m_lock);
    if (m_duplicates == dupAccept || m_list.IndexOf(item) < 0) {
        m_list.Add(item);
        return;
    }
    if (m_duplicates == dupError)
        TList::Error(QStringLiteral("List does not allow duplicates ($0%x)"),
                     static_cast<int64_t>(reinterpret_cast<intptr_t>(item)));
}

void TThreadList::Remove(void* item)
{
    const std::lock_guard guard(m_lock);
    m_list.Remove(item);
}

void TThreadList::Clear()
{
    const std::lock_guard guard(m_lock);
    m_list.Clear();
}

TList* TThreadList::LockList()
{
    m_lock.lock();
    return &m_list;
}

void TThreadList::UnlockList()
{
    m_lock.unlock();
}

}
