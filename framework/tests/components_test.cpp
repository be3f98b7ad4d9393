// Objects, persistent objects, components, the class registry and interfaced objects.

#include "framework/classes.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;

namespace {

std::vector<std::string> g_log;

struct Event {
    std::string listener;
    const TComponent* component;
    TOperation operation;
    friend bool operator==(const Event&, const Event&) = default;
};
std::vector<Event> g_events;

void PrintTo(const Event& event, std::ostream* out)
{
    *out << event.listener << (event.operation == opInsert ? " +" : " -") << event.component;
}

// A component that records its notifications and logs its end, with whether it knew
// then that it was being destroyed.
class TLogged : public TComponent {
public:
    TLogged(TComponent* owner, std::string name) : TComponent(owner), m_name(std::move(name)) {}
    ~TLogged() override
    {
        g_log.push_back("~" + m_name +
                        (ComponentState().Contains(csDestroying) ? " destroying" : ""));
    }

    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        g_events.push_back({m_name, component, operation});
        if (operation == opRemove && component == m_watched)
            m_watched = nullptr;
    }

    void Watch(TComponent* component)
    {
        m_watched = component;
        component->FreeNotification(this);
    }
    TComponent* Watched() const { return m_watched; }

private:
    std::string m_name;
    TComponent* m_watched = nullptr;
};

class TCustomItem : public TComponent {
public:
    explicit TCustomItem(TComponent* owner) : TComponent(owner) {}
};

class TOtherItem : public TPersistent {};

// Copies its number from another of its kind only.
class TNumbered : public TPersistent {
public:
    int number = 0;

protected:
    void AssignTo(TPersistent* dest) override
    {
        if (auto* other = dynamic_cast<TNumbered*>(dest)) {
            other->number = number;
            return;
        }
        TPersistent::AssignTo(dest);
    }
};

class TRecordingFiler : public TFiler {
public:
    void DefineBinaryProperty(const QString& name, TStreamProc, TStreamProc, bool has_data) override
    {
        names.push_back(name.toStdString() + (has_data ? "" : " (empty)"));
    }
    std::vector<std::string> names;
};

class TItemsOwner : public TPersistent {
public:
    int count = 0;
    void DefineProperties(TFiler* filer) override
    {
        filer->DefineBinaryProperty(QStringLiteral("Items"), nullptr, nullptr, count >= 1);
    }
};

}

TEST(Components, OwnerFreesWhatItOwnsLastCreatedFirst)
{
    g_log.clear();
    auto* owner = new TLogged(nullptr, "owner");
    auto* first = new TLogged(owner, "first");
    new TLogged(owner, "second");
    new TLogged(first, "grandchild");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), first);
    EXPECT_EQ(first->Owner(), owner);
    EXPECT_THROW(owner->Components(2), EListError);

    // Each destructor body runs before the base frees what the component owns; Free
    // marks the whole tree as being destroyed before any of it goes.
    Free(owner);
    EXPECT_EQ(g_log, (std::vector<std::string>{"~owner destroying", "~second destroying",
                                               "~first destroying", "~grandchild destroying"}));
}

TEST(Components, OwnerAndSiblingsHearOfInsertAndRemove)
{
    g_events.clear();
    TOwned<TLogged> owner(new TLogged(nullptr, "owner"));
    auto* a = new TLogged(owner.get(), "a");
    EXPECT_EQ(g_events, (std::vector<Event>{{"owner", a, opInsert}}));
    g_events.clear();
    auto* b = new TLogged(owner.get(), "b");
    // The owner's base tells every owned component before the owner's own handler
    // runs; the new one is still a bare component while it is told.
    EXPECT_EQ(g_events, (std::vector<Event>{{"a", b, opInsert}, {"owner", b, opInsert}}));
    g_events.clear();

    Free(a);
    EXPECT_EQ(g_events, (std::vector<Event>{{"b", a, opRemove}, {"owner", a, opRemove}}));
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(b->ComponentIndex(), 0);
}

TEST(Components, FreeNotificationTellsTheWatcherAndEndsWithEitherSide)
{
    g_events.clear();
    auto* watcher = new TLogged(nullptr, "watcher");
    auto* images = new TLogged(nullptr, "images");
    watcher->Watch(images);
    Free(images);
    EXPECT_EQ(watcher->Watched(), nullptr);
    EXPECT_EQ(g_events, (std::vector<Event>{{"watcher", images, opRemove}}));

    // The watcher goes first: the watched one tells it nothing later (the sanitizer
    // would see the call into freed memory).
    images = new TLogged(nullptr, "images");
    watcher->Watch(images);
    g_events.clear();
    Free(watcher);
    EXPECT_EQ(g_events, (std::vector<Event>{{"images", watcher, opRemove}}));
    g_events.clear();
    Free(images);
    EXPECT_TRUE(g_events.empty());

    // RemoveFreeNotification ends the link.
    watcher = new TLogged(nullptr, "watcher");
    images = new TLogged(nullptr, "images");
    watcher->Watch(images);
    images->RemoveFreeNotification(watcher);
    g_events.clear();
    Free(images);
    EXPECT_TRUE(g_events.empty());
    Free(watcher);
}

TEST(Components, TagAndLoadingState)
{
    class TLoader : public TComponent {
    public:
        TLoader() : TComponent(nullptr) {}
        void Load()
        {
            Loading();
            during = ComponentState().Contains(csLoading);
            Loaded();
        }
        bool during = false;
    };
    TLoader loader;
    loader.SetTag(-7);
    EXPECT_EQ(loader.Tag(), -7);
    loader.Load();
    EXPECT_TRUE(loader.during);
    EXPECT_FALSE(loader.ComponentState().Contains(csLoading));
}

TEST(Classes, ClassNamesComeWithoutNamespaces)
{
    const TStringList list;
    EXPECT_EQ(list.ClassName(), QStringLiteral("TStringList"));
    const TObject& as_base = list;
    EXPECT_EQ(as_base.ClassName(), QStringLiteral("TStringList"));
    EXPECT_EQ(ClassOf<TCustomItem>().ClassName(), QStringLiteral("TCustomItem"));
}

TEST(Classes, RegistryFindsClassesByNameAndMakesTheirObjects)
{
    const TPersistentClass item_class = RegisterClass<TCustomItem, TComponent*>();
    EXPECT_EQ((RegisterClass<TCustomItem, TComponent*>()), item_class); // again: nothing new
    EXPECT_EQ(GetClass(QStringLiteral("tcustomitem")), item_class);
    EXPECT_EQ(GetClass(QStringLiteral("TNoSuchItem")), nullptr);
    try {
        FindClass(QStringLiteral("TNoSuchItem"));
        FAIL() << "no error";
    } catch (const EClassNotFound& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Class TNoSuchItem not found"));
    }

    TOwned<TComponent> owner(new TComponent(nullptr));
    TComponent* made = FindClass(QStringLiteral("TCustomItem"))->Create<TComponent>(owner.get());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->ClassName(), QStringLiteral("TCustomItem"));
    EXPECT_EQ(made->Owner(), owner.get());
    // No constructor registered for these arguments, or no object of the kind asked.
    EXPECT_EQ(item_class->Create<TComponent>(), nullptr);
    EXPECT_EQ(item_class->Create<TStrings>(owner.get()), nullptr);
    EXPECT_EQ(owner->ComponentCount(), 1); // the object of the wrong kind was freed

    UnRegisterClass(item_class);
    EXPECT_EQ(GetClass(QStringLiteral("TCustomItem")), nullptr);
}

TEST(Classes, ARegisteredNameCannotGoToAnotherClass)
{
    class TCustomItem {}; // same plain name, another class
    static_assert(!std::is_same_v<TCustomItem, ::TCustomItem>);
    RegisterClass<::TCustomItem, TComponent*>();
    try {
        RegisterClass(&ClassOf<TOtherItem>());
        RegisterClass(&ClassInfoOf(typeid(TCustomItem)));
        FAIL() << "no error";
    } catch (const EFilerError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("A class named TCustomItem already exists"));
    }
    UnRegisterClass(&ClassOf<::TCustomItem>());
    UnRegisterClass(&ClassOf<TOtherItem>());
}

TEST(Persistent, AssignGoesThroughAssignToAndNamesBothClassesWhenItCannot)
{
    TNumbered a;
    TNumbered b;
    a.number = 5;
    b.Assign(&a);
    EXPECT_EQ(b.number, 5);

    TOtherItem other;
    try {
        other.Assign(&a);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot assign a TNumbered to a TOtherItem"));
    }
    try {
        b.Assign(nullptr);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot assign a nil to a TNumbered"));
    }
}

TEST(Persistent, DefinePropertiesTellsTheFilerOfBinaryProperties)
{
    TRecordingFiler filer;
    TItemsOwner owner;
    owner.DefineProperties(&filer);
    owner.count = 2;
    owner.DefineProperties(&filer);
    EXPECT_EQ(filer.names, (std::vector<std::string>{"Items (empty)", "Items"}));
    TOtherItem plain;
    plain.DefineProperties(&filer); // the base defines none
    EXPECT_EQ(filer.names.size(), 2u);
}

namespace {

class IFirst : public virtual IUnknown {
public:
    static constexpr TGUID IID = TGUID::Parse("{E4F0D3DE-B2BD-4EC0-B24B-8A9B85B23A63}");
    virtual int First() = 0;
};

class ISecond : public virtual IUnknown {
public:
    static constexpr TGUID IID = TGUID::Parse("{0761d4f5-d451-4a6d-bfdc-b3000ffd0299}");
    virtual int Second() = 0;
};

int g_alive = 0;

class TBoth : public TInterfacedObject, public IFirst, public ISecond {
public:
    TBoth()
    {
        ++g_alive;
        // Handing itself out during construction must not free it.
        const TInterfacePtr<IFirst> self(static_cast<IFirst*>(this));
    }
    ~TBoth() override { --g_alive; }

    HRESULT QueryInterface(const TGUID& iid, void** object) override
    {
        if (AnswerInterface<IFirst>(this, iid, object) ||
            AnswerInterface<ISecond>(this, iid, object))
            return S_OK;
        return TInterfacedObject::QueryInterface(iid, object);
    }
    int First() override { return 1; }
    int Second() override { return 2; }
};

}

TEST(Interfaces, ObjectsLiveAsLongAsTheirReferences)
{
    static_assert(IFirst::IID.D1 == 0xE4F0D3DE && IFirst::IID.D2 == 0xB2BD &&
                  IFirst::IID.D4[0] == 0xB2 && IFirst::IID.D4[7] == 0x63);
    static_assert(ISecond::IID.D3 == 0x4A6D && ISecond::IID.D4[1] == 0xDC);
    {
        TInterfacePtr<TBoth> object = NewInterfaced<TBoth>();
        EXPECT_EQ(g_alive, 1);
        EXPECT_EQ(object->RefCount(), 1);

        TInterfacePtr<ISecond> second = Supports<ISecond>(static_cast<IFirst*>(object.get()));
        ASSERT_TRUE(second);
        EXPECT_EQ(second->Second(), 2);
        EXPECT_EQ(object->RefCount(), 2);
        TInterfacePtr<IFirst> first = Supports<IFirst>(second.get());
        ASSERT_TRUE(first);
        EXPECT_EQ(first->First(), 1);
        EXPECT_TRUE(Supports<IUnknown>(first.get()));

        object.reset();
        second.reset();
        EXPECT_EQ(g_alive, 1); // `first` still holds it
        first.reset();
        EXPECT_EQ(g_alive, 0);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(Interfaces, UnknownInterfacesAreRefused)
{
    TInterfacePtr<TInterfacedObject> plain = NewInterfaced<TInterfacedObject>();
    void* answer = &answer;
    EXPECT_EQ(plain->QueryInterface(IFirst::IID, &answer), E_NOINTERFACE);
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(plain->QueryInterface(IFirst::IID, nullptr), E_INVALIDARG);
    EXPECT_FALSE(Supports<IFirst>(static_cast<IUnknown*>(plain.get())));
    EXPECT_FALSE(Supports<IFirst>(static_cast<IUnknown*>(nullptr)));
    EXPECT_EQ(plain->RefCount(), 1);
}
