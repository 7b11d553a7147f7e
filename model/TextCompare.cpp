// ASCII-only case-insensitive comparison of names.
#include "model/TextCompare.h"

bool EqualsNoCaseAZ(const wchar_t* a, const wchar_t* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    for (; *a != L'\0' && *b != L'\0'; ++a, ++b) {
        if (FoldAZ(*a) != FoldAZ(*b))
            return false;
    }
    return *a == *b;
}

bool EqualsNoCaseAZ(const std::wstring& a, const std::wstring& b)
{
    // Compared by length rather than by terminator so that an embedded null cannot end the comparison early.
    if (a.size() != b.size())
        return false;
    for (std::wstring::size_type i = 0; i < a.size(); ++i) {
        if (FoldAZ(a[i]) != FoldAZ(b[i]))
            return false;
    }
    return true;
}
