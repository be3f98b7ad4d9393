#include "framework/classes.h"

namespace fw {

HRESULT TInterfacedObject::QueryInterface(const TGUID& iid, void** object)
{
    if (object == nullptr)
        return E_INVALIDARG;
    *object = nullptr;
    if (AnswerInterface<IUnknown>(this, iid, object))
        return S_OK;
    return E_NOINTERFACE;
}

LONG TInterfacedObject::AddRef()
{
    return m_ref_count.fetch_add(1) + 1;
}

LONG TInterfacedObject::Release()
{
    const LONG count = m_ref_count.fetch_sub(1) - 1;
    if (count == 0)
        Free(this);
    return count;
}

}
