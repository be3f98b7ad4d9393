// TComponent: owners, owned components and notifications.

#include "framework/classes.h"

#include <algorithm>

namespace fw {

TComponent::TComponent(TComponent* owner)
{
    if (owner != nullptr)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Tell every linked component, taking each link away first so that the answer
    // cannot come back here.
    while (!m_free_notifies.empty()) {
        TComponent* const other = m_free_notifies.back();
        m_free_notifies.pop_back();
        other->remove_notification(this);
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (m_owner != nullptr)
        m_owner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), index);
    return m_components[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (m_owner == nullptr)
        return -1;
    const auto& siblings = m_owner->m_components;
    const auto found = std::find(siblings.begin(), siblings.end(), this);
    return found == siblings.end() ? -1 : static_cast<int>(found - siblings.begin());
}

void TComponent::Destroying()
{
    if (m_state.Contains(csDestroying))
        return;
    m_state.Include(csDestroying);
    for (TComponent* const component : m_components)
        component->Destroying();
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component == nullptr || component->m_owner == this)
        return;
    if (component->m_owner != nullptr)
        component->m_owner->RemoveComponent(component);
    insert(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (component == nullptr || component->m_owner != this)
        return;
    Notification(component, opRemove);
    remove(component);
}

void TComponent::DestroyComponents()
{
    // Last created first; a component leaves the list before it goes, so it does not
    // tell this owner (which is going too) about itself.
    while (!m_components.empty()) {
        TComponent* const component = m_components.back();
        remove(component);
        Free(component);
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    if (component == nullptr || component == this)
        return;
    if (std::find(m_free_notifies.begin(), m_free_notifies.end(), component) ==
        m_free_notifies.end())
        m_free_notifies.push_back(component);
    if (std::find(component->m_free_notifies.begin(), component->m_free_notifies.end(), this) ==
        component->m_free_notifies.end())
        component->m_free_notifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (component == nullptr)
        return;
    remove_notification(component);
    component->remove_notification(this);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component != nullptr)
        RemoveFreeNotification(component);
    // From the last owned component down; a handler may take components away.
    for (size_t i = m_components.size(); i-- > 0;) {
        if (i < m_components.size())
            m_components[i]->Notification(component, operation);
    }
}

void TComponent::Loading()
{
    m_state.Include(csLoading);
}

void TComponent::Loaded()
{
    m_state.Exclude(csLoading);
}

void TComponent::insert(TComponent* component)
{
    m_components.push_back(component);
    component->m_owner = this;
}

void TComponent::remove(TComponent* component)
{
    std::erase(m_components, component);
    component->m_owner = nullptr;
}

void TComponent::remove_notification(TComponent* component)
{
    std::erase(m_free_notifies, component);
}

}
