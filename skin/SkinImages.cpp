// The decoding of the skin's pictures (kind 0): the cache's decoder, a panel's private pictures and the
// prefetch that decodes a dialog's pictures on a thread of its own. Apart from the cache, so that a
// program that shows no picture carries none of it.
#include "skin/SkinResources.h"

#include <objbase.h>
#include <pugixml.hpp>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "model/TextCompare.h"
#include "skin/AppFolder.h"
#include "skin/DrawingHelpers.h"
#include "skin/SkinValues.h"

namespace {

constexpr const wchar_t* kPictureFolder = L"skins\\";

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
    std::vector<std::wstring> found;
    const bool tooDeep = NestedDeeperThan(document, kMaxSkinFileDepth, [&](const pugi::xml_node& node) {
        if (node.type() != pugi::node_pcdata)
            return;
        std::wstring name = TrimmedFileName(pugi::as_wide(node.value()));
        if (IsPictureName(name))
            found.push_back(std::move(name));
    });
    if (!tooDeep)
        names.insert(names.end(), found.begin(), found.end());
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
        const bool ok = LoadPictureFile(folder + kPictureFolder + name, image);
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

bool DecodePicture(const std::wstring& name, const std::wstring& path, CBitmap& target)
{
    return TakePrefetched(name, target) || LoadPictureFile(path, target);
}

} // namespace

void AddSkinPictureDecoder()
{
    SetSkinPictureDecoder(&DecodePicture);
}

bool LoadPrivateSkinImage(const std::wstring& name, CBitmap& target)
{
    if (const SkinResource* cached = FindExistingSkinResource(name, kSkinImage)) {
        HBITMAP copy = cached->image ? DuplicateDib(*cached->image) : nullptr;
        if (!copy)
            return false;
        target.Attach(copy);
        return true;
    }
    return DecodePicture(name, AppFolder() + kPictureFolder + name, target);
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
