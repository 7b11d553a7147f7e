// The skin resource cache: loading by kind, lookup and release.
#include "skin/SkinResources.h"

#include <objbase.h>
#include <pugixml.hpp>

#include <climits>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "framework/Handle.h"
#include "model/TextCompare.h"
#include "skin/AppFolder.h"
#include "skin/DrawingHelpers.h"
#include "skin/SkinValues.h"

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

// The pictures of a prefetch by lower-case name: absent until decoded, then the bitmap (null when the
// file could not be decoded) until somebody takes it.
struct ImagePrefetch {
    std::mutex lock;
    std::condition_variable decoded;
    std::map<std::wstring, int> listed;  // every name the prefetch will decode
    std::map<std::wstring, HBITMAP> ready;
    bool stop = false;
    bool finished = false;
    std::thread worker;

    // Stops the worker after the picture under way and frees what nobody took.
    ~ImagePrefetch()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            stop = true;
        }
        if (worker.joinable())
            worker.join();
        for (auto& entry : ready) {
            if (entry.second)
                ::DeleteObject(entry.second);
        }
    }

    static std::wstring Key(const std::wstring& name)
    {
        std::wstring key = name;
        for (wchar_t& c : key)
            c = FoldAZ(c);
        return key;
    }
};

std::unique_ptr<ImagePrefetch>& Prefetch()
{
    static std::unique_ptr<ImagePrefetch> prefetch;
    return prefetch;
}

bool IsPictureName(const std::wstring& text)
{
    if (text.size() < 5)
        return false;
    const std::wstring extension = ImagePrefetch::Key(text.substr(text.size() - 4));
    return extension == L".bmp" || extension == L".jpg" || extension == L".gif" || extension == L".png";
}

// Every element text of the document that names a picture, in document order; nothing of a document
// nested deeper than a skin file may be (the loader refuses it as damaged).
void CollectPictureNames(const pugi::xml_document& document, std::vector<std::wstring>& names)
{
    if (NestedDeeperThan(document, kMaxSkinFileDepth))
        return;
    for (pugi::xml_node node = document.first_child(); node;) {
        if (node.type() == pugi::node_pcdata) {
            const std::wstring name = TrimmedFileName(pugi::as_wide(node.value()));
            if (IsPictureName(name))
                names.push_back(name);
        } else if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling())
            node = node.parent() == document ? pugi::xml_node() : node.parent();
        if (node)
            node = node.next_sibling();
    }
}

void RunPrefetch(ImagePrefetch* prefetch, std::wstring folder, std::vector<std::wstring> files)
{
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::vector<std::wstring> names;
    for (const std::wstring& file : files) {
        pugi::xml_document document;
        if (document.load_file((folder + L"xml\\" + file).c_str()).status == pugi::status_ok)
            CollectPictureNames(document, names);
    }
    {
        std::lock_guard<std::mutex> guard(prefetch->lock);
        for (const std::wstring& name : names)
            prefetch->listed.emplace(ImagePrefetch::Key(name), 0);
    }
    prefetch->decoded.notify_all();
    for (const std::wstring& name : names) {
        const std::wstring key = ImagePrefetch::Key(name);
        {
            std::lock_guard<std::mutex> guard(prefetch->lock);
            if (prefetch->stop)
                break;
            if (prefetch->ready.count(key) || prefetch->listed[key] != 0)
                continue;  // named twice
            prefetch->listed[key] = 1;
        }
        CBitmap image;
        const bool ok = LoadPictureFile(folder + KindFolder(kSkinImage) + name, image);
        {
            std::lock_guard<std::mutex> guard(prefetch->lock);
            prefetch->ready[key] = ok ? static_cast<HBITMAP>(image.Detach()) : nullptr;
        }
        prefetch->decoded.notify_all();
    }
    {
        std::lock_guard<std::mutex> guard(prefetch->lock);
        prefetch->finished = true;
    }
    prefetch->decoded.notify_all();
    if (SUCCEEDED(apartment))
        CoUninitialize();
}

// The prefetched picture of that name, handed over; false when the prefetch does not have it (not
// running, not listed, or stopped before its turn). Waits while it is listed and not decoded yet.
bool TakePrefetched(const std::wstring& name, CBitmap& target)
{
    ImagePrefetch* prefetch = Prefetch().get();
    if (!prefetch)
        return false;
    const std::wstring key = ImagePrefetch::Key(name);
    std::unique_lock<std::mutex> guard(prefetch->lock);
    // The list is known once the files are read; until then any name may be on it.
    prefetch->decoded.wait(guard, [&] {
        return prefetch->finished || prefetch->ready.count(key) ||
               (!prefetch->listed.empty() && !prefetch->listed.count(key));
    });
    auto found = prefetch->ready.find(key);
    if (found == prefetch->ready.end() || !found->second)
        return false;
    target.Attach(found->second);
    found->second = nullptr;
    return true;
}

void Load(SkinResource& entry)
{
    switch (entry.kind) {
    case kSkinImage: {
        auto image = std::make_unique<CBitmap>();
        if (TakePrefetched(entry.name, *image) || LoadPictureFile(entry.path, *image))
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

SkinResource* FindExisting(const std::wstring& name, int kind)
{
    for (const auto& entry : Cache().entries) {
        if (entry->kind == kind && EqualsNoCaseAZ(entry->name, name))
            return entry.get();
    }
    return nullptr;
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

SkinResource* FindSkinResource(const std::wstring& name, int kind)
{
    if (SkinResource* existing = FindExisting(name, kind))
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
    const SkinResource* entry = FindExisting(name, kind);
    return entry ? entry->size : 0;
}

bool LoadPrivateSkinImage(const std::wstring& name, CBitmap& target)
{
    if (const SkinResource* cached = FindExisting(name, kSkinImage)) {
        HBITMAP copy = cached->image ? DuplicateDib(*cached->image) : nullptr;
        if (!copy)
            return false;
        target.Attach(copy);
        return true;
    }
    return TakePrefetched(name, target) || LoadPictureFile(AppFolder() + KindFolder(kSkinImage) + name, target);
}

void PrefetchSkinImages(const std::vector<std::wstring>& skinFiles)
{
    if (Prefetch())
        return;
    auto prefetch = std::make_unique<ImagePrefetch>();
    prefetch->worker = std::thread(RunPrefetch, prefetch.get(), AppFolder(), skinFiles);
    Prefetch() = std::move(prefetch);
}

void EndSkinImagePrefetch()
{
    Prefetch().reset();
}

void ClearSkinResources()
{
    Cache().Clear();
}

size_t SkinResourceCount()
{
    return Cache().entries.size();
}
