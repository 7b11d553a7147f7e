// Owning wrappers for kernel handles and icons, in the manner of the GDI wrappers (Gdi.h), and the
// loading of the program's own icons.
//
// Each wrapper owns at most one handle. Closing (or destroying the wrapper) frees the handle and clears
// it, so a wrapper can be reused. Attach takes ownership of a handle, Detach gives it up. Method names
// are those of the Win32 calls they wrap. Header only: code without windows (the device service) uses
// them without linking the framework.
#pragma once

#include <windows.h>

// What the owning wrappers share (these two and the GDI objects' base, Gdi.h): one handle of type H,
// freed by Free::Call.
template <class H, class Free>
class COwnedHandle {
public:
    COwnedHandle() = default;
    COwnedHandle(const COwnedHandle&) = delete;
    COwnedHandle& operator=(const COwnedHandle&) = delete;
    COwnedHandle(COwnedHandle&& other) noexcept : m_h(other.Detach()) {}
    COwnedHandle& operator=(COwnedHandle&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~COwnedHandle() { Release(); }

    operator H() const { return m_h; }
    bool IsNull() const { return m_h == nullptr; }

    // Takes ownership of h after freeing the current handle.
    void Attach(H h)
    {
        if (h != m_h)
            Release();
        m_h = h;
    }
    H Detach()
    {
        H h = m_h;
        m_h = nullptr;
        return h;
    }

protected:
    // Frees the handle; true when there was one and it was freed.
    BOOL Release()
    {
        if (!m_h)
            return FALSE;
        const BOOL ok = Free::Call(m_h);
        m_h = nullptr;
        return ok;
    }

    H m_h = nullptr;
};

struct CCloseHandleCall {
    static BOOL Call(HANDLE h) { return ::CloseHandle(h); }
};
struct CDestroyIconCall {
    static BOOL Call(HICON h) { return ::DestroyIcon(h); }
};

// A kernel object handle (file, pipe, event, mutex, thread, process). Calls that fail return either null
// or INVALID_HANDLE_VALUE; both are kept as null, so IsNull is the one test.
class CHandle : public COwnedHandle<HANDLE, CCloseHandleCall> {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) { Attach(h); }

    void Attach(HANDLE h) { COwnedHandle::Attach(h == INVALID_HANDLE_VALUE ? nullptr : h); }
    BOOL CloseHandle() { return Release(); }
};

// An icon made by LoadImage, CreateIconIndirect or CopyIcon (not a shared icon from LoadIcon).
class CIcon : public COwnedHandle<HICON, CDestroyIconCall> {
public:
    CIcon() = default;
    explicit CIcon(HICON h) { Attach(h); }

    BOOL DestroyIcon() { return Release(); }
};

// The system's two icon sizes: a window's caption and task switcher (large), its caption bar and the
// notification area (small).
enum class IconSize { kLarge, kSmall };

// Icon resource `id` of the running program at one of the system's icon sizes; null when it is missing.
inline CIcon LoadProgramIcon(UINT id, IconSize size)
{
    const bool large = size == IconSize::kLarge;
    return CIcon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                 ::GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON),
                                                 ::GetSystemMetrics(large ? SM_CYICON : SM_CYSMICON),
                                                 LR_DEFAULTCOLOR)));
}
