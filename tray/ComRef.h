// An owning COM interface pointer: releases on destruction and on reassignment, so every early return
// of the device code lets go of what it fetched.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace tray {

template <class T>
class CComRef {
public:
    CComRef() = default;
    ~CComRef() { Reset(); }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    CComRef(CComRef&& other) noexcept : m_ptr(other.m_ptr) { other.m_ptr = nullptr; }
    CComRef& operator=(CComRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_ptr = other.m_ptr;
            other.m_ptr = nullptr;
        }
        return *this;
    }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // For out-parameters: releases what is held and hands out the slot.
    T** Put()
    {
        Reset();
        return &m_ptr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset()
    {
        if (m_ptr) {
            T* ptr = m_ptr;
            m_ptr = nullptr;
            ptr->Release();
        }
    }

    // QueryInterface into another reference; false when the object does not offer it.
    template <class U>
    bool As(REFIID iid, CComRef<U>& out) const
    {
        return m_ptr && SUCCEEDED(m_ptr->QueryInterface(iid, out.PutVoid())) && out;
    }

private:
    T* m_ptr = nullptr;
};

} // namespace tray
