// TStrings and TStringList.

#include "framework/classes.h"
#include "runtime/text_decoding.h"

#include <algorithm>
#include <span>
#include <vector>

namespace fw {

namespace {

[[noreturn]] void string_list_error(const QString& message)
{
    throw EStringListError(message);
}

}

// ---- TStrings ----------------------------------------------------------------------------

void TStrings::InsertObject(int index, const QString& text, TObject* object)
{
    Insert(index, text);
    SetObjects(index, object);
}

int TStrings::Add(const QString& text)
{
    const int index = Count();
    Insert(index, text);
    return index;
}

int TStrings::AddObject(const QString& text, TObject* object)
{
    const int index = Add(text);
    SetObjects(index, object);
    return index;
}

int TStrings::IndexOf(const QString& text) const
{
    for (int i = 0; i < Count(); ++i) {
        if (CompareStrings(Strings(i), text) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const
{
    for (int i = 0; i < Count(); ++i) {
        if (Objects(i) == object)
            return i;
    }
    return -1;
}

QString TStrings::Text() const
{
    QString text;
    for (int i = 0; i < Count(); ++i) {
        text += Strings(i);
        text += u'\n';
    }
    return text;
}

void TStrings::SetText(const QString& text)
{
    Clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        Add(text.mid(start, end - start));
        // One line break: CR LF, CR or LF.
        if (end < n && text[end] == u'\r')
            ++end;
        if (end < n && text[end] == u'\n')
            ++end;
        start = end;
    }
}

void TStrings::LoadFromStream(TStream* stream)
{
    const int64_t size = stream->Size() - stream->Position();
    std::vector<std::byte> bytes;
    if (size > 0) {
        if (size > INT32_MAX)
            throw EOutOfMemory(QStringLiteral("Out of memory"));
        bytes.resize(static_cast<size_t>(size));
        bytes.resize(static_cast<size_t>(stream->Read(bytes.data(), static_cast<int32_t>(size))));
    }
    SetText(detail::decode_text(bytes));
}

void TStrings::LoadFromFile(const QString& file_name)
{
    TFileStream stream(file_name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::Assign(TPersistent* source)
{
    auto* const other = dynamic_cast<TStrings*>(source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    Clear();
    for (int i = 0; i < other->Count(); ++i)
        AddObject(other->Strings(i), other->Objects(i));
}

int TStrings::CompareStrings(const QString& a, const QString& b) const
{
    return CompareText(a, b);
}

// ---- TStringList ---------------------------------------------------------------------------

void TStringList::check_index(int index) const
{
    if (index < 0 || index >= Count())
        string_list_error(Format(QStringLiteral("List index out of bounds (%d)"), {index}));
}

void TStringList::check_unsorted() const
{
    if (m_sorted)
        string_list_error(QStringLiteral("Operation not allowed on sorted list"));
}

QString TStringList::Strings(int index) const
{
    check_index(index);
    return m_lines[static_cast<size_t>(index)].text;
}

void TStringList::SetStrings(int index, const QString& text)
{
    check_unsorted();
    check_index(index);
    m_lines[static_cast<size_t>(index)].text = text;
}

TObject* TStringList::Objects(int index) const
{
    check_index(index);
    return m_lines[static_cast<size_t>(index)].object;
}

void TStringList::SetObjects(int index, TObject* object)
{
    check_index(index);
    m_lines[static_cast<size_t>(index)].object = object;
}

void TStringList::Insert(int index, const QString& text)
{
    InsertObject(index, text, nullptr);
}

void TStringList::InsertObject(int index, const QString& text, TObject* object)
{
    check_unsorted();
    if (index < 0 || index > Count())
        string_list_error(Format(QStringLiteral("List index out of bounds (%d)"), {index}));
    insert_line(index, text, object);
}

void TStringList::insert_line(int index, const QString& text, TObject* object)
{
    m_lines.insert(m_lines.begin() + index, Line{text, object});
}

void TStringList::Delete(int index)
{
    check_index(index);
    m_lines.erase(m_lines.begin() + index);
}

void TStringList::Clear()
{
    m_lines.clear();
}

void TStringList::Exchange(int index1, int index2)
{
    check_index(index1);
    check_index(index2);
    std::swap(m_lines[static_cast<size_t>(index1)], m_lines[static_cast<size_t>(index2)]);
}

int TStringList::Add(const QString& text)
{
    return AddObject(text, nullptr);
}

int TStringList::AddObject(const QString& text, TObject* object)
{
    int index = Count();
    if (m_sorted && Find(text, index)) {
        if (m_duplicates == dupIgnore)
            return index;
        if (m_duplicates == dupError)
            string_list_error(QStringLiteral("String list does not allow duplicates"));
    }
    insert_line(index, text, object);
    return index;
}

int TStringList::IndexOf(const QString& text) const
{
    if (!m_sorted)
        return TStrings::IndexOf(text);
    int index = 0;
    return Find(text, index) ? index : -1;
}

bool TStringList::Find(const QString& text, int& index) const
{
    // The first line not before text; with duplicates accepted, the first of the equal
    // lines.
    int low = 0;
    int high = Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CompareStrings(m_lines[static_cast<size_t>(middle)].text, text) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    index = low;
    return low < Count() && CompareStrings(m_lines[static_cast<size_t>(low)].text, text) == 0;
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !m_sorted)
        Sort();
    m_sorted = sorted;
}

void TStringList::SetCaseSensitive(bool case_sensitive)
{
    if (case_sensitive == m_case_sensitive)
        return;
    m_case_sensitive = case_sensitive;
    if (m_sorted)
        Sort();
}

void TStringList::Sort()
{
    std::stable_sort(m_lines.begin(), m_lines.end(), [this](const Line& a, const Line& b) {
        return CompareStrings(a.text, b.text) < 0;
    });
}

void TStringList::CustomSort(
    const std::function<int(TStringList* list, int index1, int index2)>& compare)
{
    // The comparison sees the list by index, so the lines are ordered through a
    // permutation and put in place afterwards.
    std::vector<int> order(m_lines.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(this, a, b) < 0; });
    std::vector<Line> sorted;
    sorted.reserve(m_lines.size());
    for (const int index : order)
        sorted.push_back(m_lines[static_cast<size_t>(index)]);
    m_lines = std::move(sorted);
}

int TStringList::CompareStrings(const QString& a, const QString& b) const
{
    return m_case_sensitive ? CompareStr(a, b) : CompareText(a, b);
}

}
