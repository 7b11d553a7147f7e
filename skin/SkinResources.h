// The program-wide cache of skin resources: images, bitmaps, font files and data files named by bare file
// name in skin files. Each (name, kind) pair is loaded once, handed to every control that names it and
// freed at ClearSkinResources or at program exit; callers never free what they get.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Gdi.h"

// What a cache entry holds, and the folder below AppFolder() its file is in.
enum SkinResourceKind : int {
    kSkinImage = 0,         // skins\: a picture file decoded into a CBitmap
    kSkinDibBitmap = 1,     // skins\: a BMP file loaded as a DIB section
    kSkinFontFile = 4,      // fonts\: a font file registered with AddFontResourceW
    kSkinLanguageData = 5,  // lang\: the bytes of a language text file
    kSkinBinaryData = 6,    // bin\: the bytes of a data file
};

// One cache entry. An entry whose load failed stays in the cache without data so that the file is
// not tried again.
struct SkinResource {
    SkinResource() = default;
    SkinResource(const SkinResource&) = delete;
    SkinResource& operator=(const SkinResource&) = delete;
    ~SkinResource() { Release(); }

    std::wstring name;  // as asked for
    std::wstring path;  // AppFolder() + kind folder + name
    int kind = kSkinImage;
    // Bytes held for kinds 5 and 6 (the count actually read); the file's length for kinds 1 and 4; 0 for
    // kind 0 and for every entry without data.
    int size = 0;

    std::unique_ptr<CBitmap> image;  // kind 0
    HBITMAP dib = nullptr;           // kind 1
    int fontCount = 0;               // kind 4: fonts the file added
    std::vector<BYTE> buffer;        // kinds 5 and 6: `size` bytes, then two zero guard bytes

    bool Loaded() const;
    CBitmap* Image() { return image.get(); }
    HBITMAP DibBitmap() const { return dib; }
    const BYTE* Buffer() const { return buffer.empty() ? nullptr : buffer.data(); }

    // Frees what the load produced; the entry is then without data.
    void Release();
};

// The first entry of `kind` whose name equals `name` up to the case of A-Z; when there is none, a new
// entry is created, loaded at once and appended. Never null.
SkinResource* FindSkinResource(const std::wstring& name, int kind);
// The same entry when the cache has one, else null; loads nothing.
SkinResource* FindExistingSkinResource(const std::wstring& name, int kind);

// Shortcuts through FindSkinResource; null when the file could not be loaded.
CBitmap* GetSkinImage(const std::wstring& name);       // kind 0
HBITMAP GetSkinDibBitmap(const std::wstring& name);    // kind 1
const BYTE* GetSkinData(const std::wstring& name);     // kind 6

// The size of the existing entry of that name and kind (see SkinResource::size); 0 when there is none.
// Loads nothing. The kind is part of the key so that a reader is never bounded by the size of another
// kind's entry of the same name.
int GetSkinResourceSize(const std::wstring& name, int kind);

// Pictures (kind 0) are decoded apart from the cache (SkinImages.cpp, with the prefetch below), so that
// a program that shows none carries no picture decoding: the reader groups of what shows pictures (the
// widgets', the panel root) call AddSkinPictureDecoder before their skin files are loaded. Until then a
// picture's entry stays empty. SetSkinPictureDecoder is how it reaches the cache.
void AddSkinPictureDecoder();
using SkinPictureDecoder = bool (*)(const std::wstring& name, const std::wstring& path, CBitmap& target);
void SetSkinPictureDecoder(SkinPictureDecoder decoder);

// A picture of skins\ for one owner alone: a copy of the cache's image when the cache holds it, else
// the file decoded straight into `target` without entering the cache, so that a picture only one window
// shows (a panel's background or mask) is held once, by that window. False when it can't be loaded.
bool LoadPrivateSkinImage(const std::wstring& name, CBitmap& target);

// Decodes the pictures that the skin files (names below skins\xml\... as LoadSkinFile takes them) name,
// in their order, on a thread of its own while the caller builds its windows: a picture asked for
// (through the cache or LoadPrivateSkinImage) that is on that list comes from there, waiting for it if
// its turn has not come yet. One prefetch at a time; a second start while one runs does nothing.
void PrefetchSkinImages(const std::vector<std::wstring>& skinFiles);
// Stops the prefetch (waiting for the picture under way) and frees what nobody asked for.
void EndSkinImagePrefetch();

// Frees every entry, last to first, and empties the cache. Runs by itself at program exit.
void ClearSkinResources();

// Number of entries, for tests.
size_t SkinResourceCount();
