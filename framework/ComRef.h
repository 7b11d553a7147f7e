// ComRef: one owned reference to a COM object, released when the holder goes, is reset or is handed a
// new object, so that no early return leaks a reference.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // For an out parameter: drops the current reference first.
    T** Put()
    {
        Reset();
        return &m_object;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // For operations that hand out objects as IUnknown**.
    IUnknown** PutUnknown() { return reinterpret_cast<IUnknown**>(Put()); }

    void Reset()
    {
        if (m_object) {
            T* object = m_object;
            m_object = nullptr;
            object->Release();
        }
    }

    // QueryInterface into another reference; false when there is no object or it does not offer `iid`.
    template <class U>
    bool As(REFIID iid, ComRef<U>& out) const
    {
        if (m_object == nullptr) {
            out.Reset();
            return false;
        }
        return SUCCEEDED(m_object->QueryInterface(iid, out.PutVoid())) && out;
    }

private:
    T* m_object = nullptr;
};
