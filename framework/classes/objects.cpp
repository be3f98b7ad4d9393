// TObject, the class registry and TPersistent.

#include "framework/classes.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace fw {

namespace {

// The class name without namespaces: "fw::TStringList" gives "TStringList",
// "ns::TBox<ns::TItem>" gives "TBox<ns::TItem>".
QString plain_class_name(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    QString name = QString::fromUtf8(status == 0 && demangled ? demangled.get() : type.name());
    const qsizetype template_start = name.indexOf(u'<');
    const qsizetype scope =
        name.lastIndexOf(QStringLiteral("::"), template_start < 0 ? -1 : template_start);
    return scope < 0 ? name : name.mid(scope + 2);
}

// Types by identity, not by the address of their type_info (a type may have one per
// module).
struct TypeOrder {
    bool operator()(const std::type_info* a, const std::type_info* b) const
    {
        return a->before(*b);
    }
};

// The classes by type and the registered ones by name. Made once and never destroyed:
// objects may ask for their class names until the process ends.
struct ClassTables {
    std::mutex lock;
    std::map<const std::type_info*, std::unique_ptr<TClassInfo>, TypeOrder> by_type;
    std::vector<TPersistentClass> registered;
};

ClassTables& class_tables()
{
    static ClassTables* const tables = new ClassTables;
    return *tables;
}

}

// ---- TObject --------------------------------------------------------------------------

QString TObject::ClassName() const
{
    return ClassInfoOf(typeid(*this)).ClassName();
}

void Free(TObject* object)
{
    if (object == nullptr)
        return;
    object->BeforeDestruction();
    delete object;
}

// ---- Class registry ----------------------------------------------------------------------

TClassInfo::TClassInfo(const std::type_info& type) : m_type(type), m_name(plain_class_name(type))
{
}

void TClassInfo::add_constructor(const std::type_info& signature, std::shared_ptr<void> constructor)
{
    for (auto& [known, existing] : m_constructors) {
        if (*known == signature) {
            existing = std::move(constructor);
            return;
        }
    }
    m_constructors.emplace_back(&signature, std::move(constructor));
}

const void* TClassInfo::find_constructor(const std::type_info& signature) const
{
    for (const auto& [known, constructor] : m_constructors) {
        if (*known == signature)
            return constructor.get();
    }
    return nullptr;
}

TClassInfo& ClassInfoOf(const std::type_info& type)
{
    ClassTables& tables = class_tables();
    const std::lock_guard guard(tables.lock);
    std::unique_ptr<TClassInfo>& info = tables.by_type[&type];
    if (info == nullptr)
        info = std::make_unique<TClassInfo>(type);
    return *info;
}

void RegisterClass(TPersistentClass persistent_class)
{
    if (persistent_class == nullptr)
        return;
    ClassTables& tables = class_tables();
    const std::lock_guard guard(tables.lock);
    for (const TPersistentClass known : tables.registered) {
        if (known == persistent_class)
            return;
        if (SameText(known->ClassName(), persistent_class->ClassName()))
            throw EFilerError(QStringLiteral("A class named %1 already exists")
                                  .arg(persistent_class->ClassName()));
    }
    tables.registered.push_back(persistent_class);
}

void UnRegisterClass(TPersistentClass persistent_class)
{
    ClassTables& tables = class_tables();
    const std::lock_guard guard(tables.lock);
    std::erase(tables.registered, persistent_class);
}

TPersistentClass GetClass(const QString& name)
{
    ClassTables& tables = class_tables();
    const std::lock_guard guard(tables.lock);
    for (const TPersistentClass known : tables.registered) {
        if (SameText(known->ClassName(), name))
            return known;
    }
    return nullptr;
}

TPersistentClass FindClass(const QString& name)
{
    const TPersistentClass found = GetClass(name);
    if (found == nullptr)
        throw EClassNotFound(QStringLiteral("Class %1 not found").arg(name));
    return found;
}

// ---- TPersistent ---------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* source)
{
    if (source == nullptr) {
        AssignError(nullptr);
        return;
    }
    source->AssignTo(this);
}

void TPersistent::DefineProperties(TFiler* /*filer*/)
{
}

void TPersistent::AssignTo(TPersistent* dest)
{
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const QString source_name = source != nullptr ? source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(source_name, ClassName()));
}

}
