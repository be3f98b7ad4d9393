// The framework's object model and containers: TObject, persistent objects, components
// with owners and notifications, the class registry, pointer and object lists, string
// lists, streams, and reference-counted interfaced objects.
//
// Ownership. A component belongs to its owner, which frees the components it owns in
// reverse order of their creation when it is destroyed. Objects made with `new` that
// nobody owns are freed with Free (or held by TOwned). Interfaced objects live as long
// as their interface references (NewInterfaced, TInterfacePtr).
//
// Errors are raised as the exceptions of framework/sysutils.h, with the framework's
// message texts ("List index out of bounds (%d)", "Stream read error", ...).
#ifndef FRAMEWORK_CLASSES_H
#define FRAMEWORK_CLASSES_H

#include "framework/sysutils.h"
#include "framework/types.h"

#include <QtCore/QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <typeinfo>
#include <utility>
#include <vector>

namespace fw {

// ---- Objects ---------------------------------------------------------------------------

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The name of the object's class without its namespace ("TStringList").
    QString ClassName() const;

    // Called by Free before the destructors run.
    virtual void BeforeDestruction() {}
};

// Runs BeforeDestruction, then destroys the object; nothing for nullptr.
void Free(TObject* object);

template <typename T>
void FreeAndNil(T*& object)
{
    T* const doomed = object;
    object = nullptr;
    Free(doomed);
}

struct TObjectDeleter {
    void operator()(TObject* object) const { Free(object); }
};
// An object that one owner frees with Free.
template <typename T>
using TOwned = std::unique_ptr<T, TObjectDeleter>;

// ---- Class registry ------------------------------------------------------------------------

// What the framework knows of a class: its name and the constructors registered for it,
// so that a stream reader can make an object of a class it finds by name.
class TClassInfo {
public:
    explicit TClassInfo(const std::type_info& type);
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const QString& ClassName() const { return m_name; }
    const std::type_info& Type() const { return m_type; }

    // Records the constructor of T that takes Args.
    template <typename T, typename... Args>
    void AddConstructor()
    {
        add_constructor(typeid(TObject * (Args...)),
                        std::make_shared<std::function<TObject*(Args...)>>(
                            [](Args... arguments) -> TObject* { return new T(arguments...); }));
    }

    // A new object made by the constructor registered for these arguments, seen as
    // Base; nullptr when no such constructor was registered or the object is no Base.
    template <typename Base, typename... Args>
    Base* Create(Args... arguments) const
    {
        const void* constructor = find_constructor(typeid(TObject * (Args...)));
        if (constructor == nullptr)
            return nullptr;
        TObject* object =
            (*static_cast<const std::function<TObject*(Args...)>*>(constructor))(arguments...);
        Base* base = dynamic_cast<Base*>(object);
        if (base == nullptr)
            Free(object);
        return base;
    }

private:
    void add_constructor(const std::type_info& signature, std::shared_ptr<void> constructor);
    const void* find_constructor(const std::type_info& signature) const;

    const std::type_info& m_type;
    QString m_name;
    std::vector<std::pair<const std::type_info*, std::shared_ptr<void>>> m_constructors;
};

using TPersistentClass = const TClassInfo*;

// The one TClassInfo of a class.
TClassInfo& ClassInfoOf(const std::type_info& type);
template <typename T>
TClassInfo& ClassOf()
{
    return ClassInfoOf(typeid(T));
}

// Registers a class by its name for GetClass and FindClass. Registering the same class
// again does nothing; another class of the same name raises EFilerError "A class named
// %s already exists".
void RegisterClass(TPersistentClass persistent_class);
void UnRegisterClass(TPersistentClass persistent_class);
// Registers T with its constructor for Args.
template <typename T, typename... Args>
TPersistentClass RegisterClass()
{
    TClassInfo& info = ClassOf<T>();
    info.template AddConstructor<T, Args...>();
    RegisterClass(&info);
    return &info;
}
// The registered class of that name (without regard to case), or nullptr.
TPersistentClass GetClass(const QString& name);
// As GetClass; raises EClassNotFound "Class %s not found" when there is none.
TPersistentClass FindClass(const QString& name);

// An event that only names its sender.
using TNotifyEvent = std::function<void(TObject* sender)>;

// ---- Persistent objects -------------------------------------------------------------------

class TStream;
class TPersistent;

// Reads or writes the value of a binary property from or to a stream.
using TStreamProc = std::function<void(TStream* stream)>;

// What a persistent object tells a form reader or writer about the properties it
// stores itself (DefineProperties). Forms are built in code here, so the only filers
// are those that a control's own streaming or a test provides.
class TFiler : public TObject {
public:
    virtual void DefineBinaryProperty(const QString& name, TStreamProc read_data,
                                      TStreamProc write_data, bool has_data) = 0;
};

class TPersistent : public TObject {
public:
    // Copies Source into this object: Source->AssignTo(this). Raises EConvertError
    // "Cannot assign a %s to a %s" (or "Cannot assign a nil to a %s") when neither
    // side knows how.
    virtual void Assign(TPersistent* source);
    // Tells the filer of the properties the object stores itself; none here.
    virtual void DefineProperties(TFiler* filer);

protected:
    // Copies this object into Dest; raises the error of Assign here.
    virtual void AssignTo(TPersistent* dest);

private:
    void AssignError(const TPersistent* source) const;
};

// ---- Components ---------------------------------------------------------------------------

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation {
    opInsert,
    opRemove
};

class TComponent : public TPersistent {
public:
    // Makes the component and, with an owner, puts it into the owner's list (the owner
    // and the components it owns are told opInsert).
    explicit TComponent(TComponent* owner);
    // Tells the components linked by FreeNotification (opRemove), frees the owned
    // components, last created first, then leaves the owner (which tells the others of
    // its components opRemove). A derived destructor that raises events checks
    // csDestroying: Free sets it before any destructor runs.
    ~TComponent() override;

    void BeforeDestruction() override { Destroying(); }

    TComponent* Owner() const { return m_owner; }
    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    // Raises EListError "List index out of bounds (%d)" for an index outside the list.
    TComponent* Components(int index) const;
    int ComponentIndex() const;

    TComponentState ComponentState() const { return m_state; }
    // Marks the component as being destroyed, and every component it owns.
    void Destroying();

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component, last created first.
    void DestroyComponents();

    // Asks that `component` be told (Notification opRemove) when this component is
    // destroyed, and this one when that one is; either side ends the link by
    // RemoveFreeNotification or by being destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    intptr_t Tag() const { return m_tag; }
    void SetTag(intptr_t tag) { m_tag = tag; }

    // Told when a component is inserted into or removed from this one's owner, and when
    // a component linked by FreeNotification goes. The base forwards the message to
    // every owned component and drops a free-notification link on opRemove.
    virtual void Notification(TComponent* component, TOperation operation);

protected:
    // Loading from a description: csLoading while it runs, Loaded at its end.
    void Loading();
    virtual void Loaded();

private:
    void insert(TComponent* component);
    void remove(TComponent* component);
    void remove_notification(TComponent* component);

    TComponent* m_owner = nullptr;
    std::vector<TComponent*> m_components;
    std::vector<TComponent*> m_free_notifies;
    TComponentState m_state;
    intptr_t m_tag = 0;
};

// ---- Pointer and object lists ---------------------------------------------------------------

enum TListNotification {
    lnAdded,
    lnExtracted,
    lnDeleted
};
enum TDuplicates {
    dupIgnore,
    dupAccept,
    dupError
};

// Compares two items: negative when the first comes first, 0 when equal.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// A list of pointers. Indices outside 0 .. Count - 1 raise EListError "List index out
// of bounds (%d)". Notify hears of every item that comes into the list or leaves it; a
// derived class that overrides Notify or Clear clears the list in its own destructor,
// since a base destructor no longer reaches the overrides.
class TList : public TObject {
public:
    TList() = default;
    ~TList() override;

    int Count() const { return static_cast<int>(m_items.size()); }
    // Fewer items deletes from the end; more adds nullptr items.
    void SetCount(int count);
    int Capacity() const { return static_cast<int>(m_items.capacity()); }
    // Raises EListError "List capacity out of bounds (%d)" below Count.
    void SetCapacity(int capacity);

    void* Items(int index) const;
    void SetItems(int index, void* item);
    void* First() const;
    void* Last() const;

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    virtual void Clear();
    void Exchange(int index1, int index2);
    void Move(int current_index, int new_index);
    // The first index of item, -1 without one.
    int IndexOf(const void* item) const;
    // Deletes the first occurrence of item; its index before, or -1.
    int Remove(const void* item);
    // Takes the first occurrence of item out of the list without deleting it (lnExtracted).
    void* Extract(const void* item);
    // Removes every nullptr item.
    void Pack();
    // Sorts with compare; items that compare equal keep their order.
    void Sort(const TListSortCompare& compare);

    [[noreturn]] static void Error(const QString& format, int64_t data);

protected:
    virtual void Notify(void* item, TListNotification action);
    void check_index(int index) const;

private:
    std::vector<void*> m_items;
};

// A list of objects that, while OwnsObjects is set (the default), frees each object
// that is deleted from it.
class TObjectList : public TList {
public:
    explicit TObjectList(bool owns_objects = true) : m_owns_objects(owns_objects) {}
    ~TObjectList() override;

    bool OwnsObjects() const { return m_owns_objects; }
    void SetOwnsObjects(bool owns) { m_owns_objects = owns; }

    int Add(TObject* object) { return TList::Add(object); }
    void Insert(int index, TObject* object) { TList::Insert(index, object); }
    TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
    void SetItems(int index, TObject* object) { TList::SetItems(index, object); }
    int IndexOf(const TObject* object) const { return TList::IndexOf(object); }
    int Remove(const TObject* object) { return TList::Remove(object); }
    TObject* Extract(const TObject* object)
    {
        return static_cast<TObject*>(TList::Extract(object));
    }

protected:
    void Notify(void* item, TListNotification action) override;

private:
    bool m_owns_objects;
};

// A pointer list behind a lock, for lists that several threads share. The lock may be
// taken again by the thread that holds it.
class TThreadList : public TObject {
public:
    TThreadList() = default;

    // Duplicates: dupIgnore (the default) adds an item only once; dupError raises
    // EListError "List does not allow duplicates" for an item already there.
    TDuplicates Duplicates() const { return m_duplicates; }
    void SetDuplicates(TDuplicates duplicates) { m_duplicates = duplicates; }

    void Add(void* item);
    void Remove(void* item);
    void Clear();
    // Takes the lock and hands out the list; UnlockList gives the lock back.
    TList* LockList();
    void UnlockList();

private:
    std::recursive_mutex m_lock;
    TList m_list;
    TDuplicates m_duplicates = dupIgnore;
};

// ---- String lists -----------------------------------------------------------------------

// Lines of text, each with an object pointer (not owned).
class TStrings : public TPersistent {
public:
    virtual int Count() const = 0;
    virtual QString Strings(int index) const = 0;
    virtual void SetStrings(int index, const QString& text) = 0;
    virtual TObject* Objects(int index) const = 0;
    virtual void SetObjects(int index, TObject* object) = 0;
    virtual void Insert(int index, const QString& text) = 0;
    virtual void InsertObject(int index, const QString& text, TObject* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    virtual int Add(const QString& text);
    virtual int AddObject(const QString& text, TObject* object);
    virtual int IndexOf(const QString& text) const;
    int IndexOfObject(const TObject* object) const;

    // The lines joined, each followed by '\n'.
    QString Text() const;
    // Replaces the lines by those of text, split at CR LF, LF or CR; a line break at the
    // end starts no further line.
    void SetText(const QString& text);

    // Replaces the lines by the text of the stream from its position on, or of the
    // file: after a byte-order mark as UTF-8 or UTF-16 (either byte order), else as
    // UTF-8 when the bytes are valid UTF-8, else as Windows-1252. A file that cannot be
    // opened raises EFOpenError "Cannot open file %s".
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const QString& file_name);

    void Assign(TPersistent* source) override;

protected:
    virtual int CompareStrings(const QString& a, const QString& b) const;
};

class TStringList : public TStrings {
public:
    TStringList() = default;

    int Count() const override { return static_cast<int>(m_lines.size()); }
    // Strings, Objects and their setters raise EStringListError "List index out of
    // bounds (%d)" for an index outside the list.
    QString Strings(int index) const override;
    // Raises EStringListError "Operation not allowed on sorted list" while Sorted.
    void SetStrings(int index, const QString& text) override;
    TObject* Objects(int index) const override;
    void SetObjects(int index, TObject* object) override;
    // Raise "Operation not allowed on sorted list" while Sorted.
    void Insert(int index, const QString& text) override;
    void InsertObject(int index, const QString& text, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2);

    // A sorted list puts each new line in its place: Duplicates decides about a line
    // that is there already (dupIgnore: not added, its index answered; dupError:
    // EStringListError "String list does not allow duplicates").
    int Add(const QString& text) override;
    int AddObject(const QString& text, TObject* object) override;
    int IndexOf(const QString& text) const override;
    // Where text is or would go in a sorted list; true when it is there.
    bool Find(const QString& text, int& index) const;

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);
    // Without regard to case (CompareText) unless set; the default is unset.
    bool CaseSensitive() const { return m_case_sensitive; }
    void SetCaseSensitive(bool case_sensitive);
    TDuplicates Duplicates() const { return m_duplicates; }
    void SetDuplicates(TDuplicates duplicates) { m_duplicates = duplicates; }

    // Sorts the lines (equal lines keep their order); compare gets the list and two
    // indices.
    void Sort();
    void CustomSort(const std::function<int(TStringList* list, int index1, int index2)>& compare);

protected:
    int CompareStrings(const QString& a, const QString& b) const override;

private:
    struct Line {
        QString text;
        TObject* object = nullptr;
    };
    void check_index(int index) const;
    void check_unsorted() const;
    void insert_line(int index, const QString& text, TObject* object);

    std::vector<Line> m_lines;
    bool m_sorted = false;
    bool m_case_sensitive = false;
    TDuplicates m_duplicates = dupIgnore;
};

// ---- Streams ------------------------------------------------------------------------------

enum TSeekOrigin {
    soBeginning,
    soCurrent,
    soEnd
};

// File stream modes.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
public:
    // Up to count bytes; the number moved (0 at the end, on failure or for a count
    // below 1).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // The new position, or -1 when the stream cannot move there.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    int64_t Size() { return GetSize(); }
    void SetSize(int64_t size) { SetStreamSize(size); }

    // All count bytes or EReadError "Stream read error" / EWriteError "Stream write
    // error".
    void ReadBuffer(void* buffer, int32_t count);
    void WriteBuffer(const void* buffer, int32_t count);
    // Copies count bytes of source from its position (0: the whole of source from its
    // start); raises as ReadBuffer and WriteBuffer. Answers the bytes copied.
    int64_t CopyFrom(TStream* source, int64_t count);

protected:
    // The size found by seeking to the end and back.
    virtual int64_t GetSize();
    virtual void SetStreamSize(int64_t size);
};

// A stream over a platform file handle, which it does not close.
class THandleStream : public TStream {
public:
    explicit THandleStream(HANDLE handle) : m_handle(handle) {}

    HANDLE Handle() const { return m_handle; }

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

protected:
    // Cuts or extends the file; EWriteError "Stream write error" when it cannot.
    void SetStreamSize(int64_t size) override;

    HANDLE m_handle;
};

// A file opened through the platform's file functions (so the platform's path rules
// hold). Mode fmCreate (with share bits in its low byte) creates or truncates; any
// other mode opens an existing file with the access of its low two bits (fmOpenRead,
// fmOpenWrite, fmOpenReadWrite) and the sharing of bits 4-7 (fmShareExclusive and
// fmShareCompat: none, fmShareDenyWrite: others read, fmShareDenyRead: others write,
// fmShareDenyNone: both). Raises EFCreateError "Cannot create file %s" or EFOpenError
// "Cannot open file %s" with the file name.
class TFileStream : public THandleStream {
public:
    TFileStream(const QString& file_name, uint16_t mode);
    ~TFileStream() override;

    const QString& FileName() const { return m_file_name; }

private:
    QString m_file_name;
};

// A stream in memory. Writing past the end grows it (a gap is filled with zeros);
// running out of memory raises EOutOfMemory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    // The bytes; valid until the size changes.
    void* Memory() { return m_bytes.data(); }
    const void* Memory() const { return m_bytes.data(); }
    void Clear();

    void LoadFromStream(TStream* stream);
    void LoadFromFile(const QString& file_name);
    void SaveToStream(TStream* stream);
    void SaveToFile(const QString& file_name);

protected:
    int64_t GetSize() override { return static_cast<int64_t>(m_bytes.size()); }
    void SetStreamSize(int64_t size) override;

private:
    std::vector<std::byte> m_bytes;
    int64_t m_position = 0;
};

// ---- Interfaces ----------------------------------------------------------------------------

// An interface identifier.
struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    uint8_t D4[8] = {};

    friend constexpr bool operator==(const TGUID&, const TGUID&) = default;

    // From its text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; a text of another shape is
    // a compile-time error where the identifier is a constant.
    static constexpr TGUID Parse(const char* text)
    {
        TGUID guid;
        int position = 1;
        guid.D1 = static_cast<uint32_t>(hex(text, position, 8));
        position += 9;
        guid.D2 = static_cast<uint16_t>(hex(text, position, 4));
        position += 5;
        guid.D3 = static_cast<uint16_t>(hex(text, position, 4));
        position += 5;
        for (int i = 0; i < 8; ++i) {
            guid.D4[i] = static_cast<uint8_t>(hex(text, position, 2));
            position += i == 1 ? 3 : 2;
        }
        if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' ||
            text[24] != '-' || text[37] != '}' || text[38] != '\0')
            throw "interface identifier of the wrong shape";
        return guid;
    }

private:
    static constexpr uint64_t hex(const char* text, int position, int digits)
    {
        uint64_t value = 0;
        for (int i = 0; i < digits; ++i) {
            const char c = text[position + i];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : -1;
            if (digit < 0)
                throw "interface identifier with a character that is no hexadecimal digit";
            value = value * 16 + static_cast<uint64_t>(digit);
        }
        return value;
    }
};

// The base of every interface: reference counting and the question for another
// interface of the same object. An interface type declares `static constexpr TGUID
// IID`.
class IUnknown {
public:
    static constexpr TGUID IID = TGUID::Parse("{00000000-0000-0000-C000-000000000046}");

    // S_OK with the interface in *object (counted), or E_NOINTERFACE with nullptr.
    virtual HRESULT QueryInterface(const TGUID& iid, void** object) = 0;
    // The new count.
    virtual LONG AddRef() = 0;
    virtual LONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// A counted reference to an interface: copies add a reference, the end of one
// releases it.
template <typename I>
class TInterfacePtr {
public:
    TInterfacePtr() = default;
    TInterfacePtr(std::nullptr_t) {}
    // Takes a reference of its own to pointer.
    explicit TInterfacePtr(I* pointer) : m_pointer(pointer)
    {
        if (m_pointer != nullptr)
            m_pointer->AddRef();
    }
    TInterfacePtr(const TInterfacePtr& other) : TInterfacePtr(other.m_pointer) {}
    TInterfacePtr(TInterfacePtr&& other) noexcept
        : m_pointer(std::exchange(other.m_pointer, nullptr))
    {
    }
    ~TInterfacePtr() { reset(); }
    TInterfacePtr& operator=(TInterfacePtr other) noexcept
    {
        std::swap(m_pointer, other.m_pointer);
        return *this;
    }

    // A pointer that already carries the reference this one takes over.
    static TInterfacePtr Adopt(I* pointer)
    {
        TInterfacePtr result;
        result.m_pointer = pointer;
        return result;
    }

    I* get() const { return m_pointer; }
    I* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    void reset()
    {
        if (I* const old = std::exchange(m_pointer, nullptr))
            old->Release();
    }
    friend bool operator==(const TInterfacePtr& a, const TInterfacePtr& b)
    {
        return a.m_pointer == b.m_pointer;
    }

private:
    I* m_pointer = nullptr;
};

// The interface I of the object behind unknown (counted), or an empty pointer.
template <typename I, typename Source>
TInterfacePtr<I> Supports(Source* unknown)
{
    if (unknown == nullptr)
        return {};
    void* answer = nullptr;
    if (unknown->QueryInterface(I::IID, &answer) != S_OK || answer == nullptr)
        return {};
    return TInterfacePtr<I>::Adopt(static_cast<I*>(answer));
}

// Answers a QueryInterface for I when iid names it: *object is self as I, counted.
template <typename I, typename Self>
bool AnswerInterface(Self* self, const TGUID& iid, void** object)
{
    if (!(iid == I::IID))
        return false;
    I* const answer = self;
    answer->AddRef();
    *object = answer;
    return true;
}

// An object that lives as long as its interface references; the last Release frees
// it. It starts with one reference while it is constructed, so that handing itself out
// during construction cannot free it; NewInterfaced hands that reference to its
// caller. The count changes atomically. Interfaces that such an object implements
// derive virtually from IUnknown, so that this class's counting serves them all.
class TInterfacedObject : public TObject, public virtual IUnknown {
public:
    TInterfacedObject() = default;

    // Answers IUnknown; a derived class answers its own interfaces (AnswerInterface)
    // and then asks this one.
    HRESULT QueryInterface(const TGUID& iid, void** object) override;
    LONG AddRef() override;
    LONG Release() override;
    LONG RefCount() const { return m_ref_count.load(); }

private:
    std::atomic<LONG> m_ref_count{1};
};

// A new interfaced object and the one reference to it.
template <typename T, typename... Args>
TInterfacePtr<T> NewInterfaced(Args&&... arguments)
{
    return TInterfacePtr<T>::Adopt(new T(std::forward<Args>(arguments)...));
}

}

#endif
