// Bounded copies of outside text into fixed fields and strings.
#include "model/BoundedText.h"

void CopyBoundedText(wchar_t* dest, std::size_t capacity, const wchar_t* source)
{
    if (capacity == 0)
        return;
    std::size_t n = 0;
    if (source != nullptr) {
        for (; n + 1 < capacity && source[n] != L'\0'; ++n)
            dest[n] = source[n];
    }
    dest[n] = L'\0';
}

std::wstring BoundedText(const wchar_t* source, std::size_t maxLength)
{
    if (source == nullptr)
        return std::wstring();
    std::size_t n = 0;
    while (n < maxLength && source[n] != L'\0')
        ++n;
    return std::wstring(source, n);
}
