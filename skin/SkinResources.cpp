// The skin resource cache: loading by kind, lookup and release. Pictures are decoded through the
// decoder SkinImages.cpp installs, so that the cache alone brings in no picture decoding.
#include "skin/SkinResources.h"

#include <climits>

#include "framework/Handle.h"
#include "model/TextCompare.h"
#include "skin/AppFolder.h"

namespace {

// Owns the entries; its destructor frees what is still loaded when the program ends, so fonts are
// unregistered and GDI handles returned even if nobody called ClearSkinResources.
struct SkinResourceCache {
    std::vector<std::unique_ptr<SkinResource>> entries;
    ~SkinResourceCache() { Clear(); }
    void Clear()
    {
        while (!entries.empty())
            entries.pop_back();
        entries.shrink_to_fit();
    }
};

SkinResourceCache& Cache()
{
    static SkinResourceCache cache;
    return cache;
}

SkinPictureDecoder& PictureDecoder()
{
    static SkinPictureDecoder decoder = nullptr;
    return decoder;
}

const wchar_t* KindFolder(int kind)
{
    switch (kind) {
    case kSkinFontFile:
        return L"fonts\\";
    case kSkinLanguageData:
        return L"lang\\";
    case kSkinBinaryData:
        return L"bin\\";
    default:
        return L"skins\\";
    }
}

// The file's length in bytes, or -1 when it can't be opened or doesn't fit the 32-bit size field.
long long MeasureFile(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    unsigned long long length = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return length > INT_MAX ? -1 : static_cast<long long>(length);
}

// Reads at most `length` bytes of the file. The buffer keeps two zero bytes after the data so that a
// reader that runs to a wide terminator stops inside it; the size counts only the bytes read.
void ReadWholeFile(SkinResource& entry, long long length)
{
    if (length <= 0)
        return;
    const CHandle file(CreateFileW(entry.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsNull())
        return;
    std::vector<BYTE> buffer(static_cast<size_t>(length) + 2, 0);
    size_t total = 0;
    while (total < static_cast<size_t>(length)) {
        DWORD read = 0;
        if (!ReadFile(file, buffer.data() + total, static_cast<DWORD>(length - total), &read, nullptr) || read == 0)
            break;
        total += read;
    }
    if (total == 0)
        return;
    buffer.resize(total + 2);
    entry.buffer = std::move(buffer);
    entry.size = static_cast<int>(total);
}

void Load(SkinResource& entry)
{
    switch (entry.kind) {
    case kSkinImage: {
        auto image = std::make_unique<CBitmap>();
        if (PictureDecoder() && PictureDecoder()(entry.name, entry.path, *image))
            entry.image = std::move(image);
        break;
    }
    case kSkinDibBitmap: {
        long long length = MeasureFile(entry.path);
        if (length <= 0)
            break;
        // A stand-alone file is loaded without a module handle (the handle names resources, not files).
        entry.dib = static_cast<HBITMAP>(
            LoadImageW(nullptr, entry.path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (entry.dib)
            entry.size = static_cast<int>(length);
        break;
    }
    case kSkinFontFile: {
        long long length = MeasureFile(entry.path);
        if (length <= 0)
            break;
        int added = AddFontResourceW(entry.path.c_str());
        if (added > 0) {
            entry.fontCount = added;
            entry.size = static_cast<int>(length);
        }
        break;
    }
    case kSkinLanguageData:
    case kSkinBinaryData:
        ReadWholeFile(entry, MeasureFile(entry.path));
        break;
    default:
        break;
    }
}

} // namespace

bool SkinResource::Loaded() const
{
    return image != nullptr || dib != nullptr || fontCount > 0 || !buffer.empty();
}

void SkinResource::Release()
{
    image.reset();
    if (dib) {
        DeleteObject(dib);
        dib = nullptr;
    }
    if (fontCount > 0) {
        RemoveFontResourceW(path.c_str());
        fontCount = 0;
    }
    buffer.clear();
    buffer.shrink_to_fit();
    size = 0;
}

SkinResource* FindExistingSkinResource(const std::wstring& name, int kind)
{
    for (const auto& entry : Cache().entries) {
        if (entry->kind == kind && EqualsNoCaseAZ(entry->name, name))
            return entry.get();
    }
    return nullptr;
}

SkinResource* FindSkinResource(const std::wstring& name, int kind)
{
    if (SkinResource* existing = FindExistingSkinResource(name, kind))
        return existing;
    auto entry = std::make_unique<SkinResource>();
    entry->name = name;
    entry->path = AppFolder() + KindFolder(kind) + name;
    entry->kind = kind;
    Load(*entry);
    Cache().entries.push_back(std::move(entry));
    return Cache().entries.back().get();
}

CBitmap* GetSkinImage(const std::wstring& name)
{
    return FindSkinResource(name, kSkinImage)->Image();
}

HBITMAP GetSkinDibBitmap(const std::wstring& name)
{
    return FindSkinResource(name, kSkinDibBitmap)->DibBitmap();
}

const BYTE* GetSkinData(const std::wstring& name)
{
    return FindSkinResource(name, kSkinBinaryData)->Buffer();
}

int GetSkinResourceSize(const std::wstring& name, int kind)
{
    const SkinResource* entry = FindExistingSkinResource(name, kind);
    return entry ? entry->size : 0;
}

void SetSkinPictureDecoder(SkinPictureDecoder decoder)
{
    PictureDecoder() = decoder;
}

void ClearSkinResources()
{
    Cache().Clear();
}

size_t SkinResourceCount()
{
    return Cache().entries.size();
}
