// The table of skin element readers: for each element name of a skin file's list sections, the function
// that turns one such element into a skin object. The table holds the language table's reader (LANG); a
// program adds the readers of the other objects it makes (AddSkinObjectReaders below, the widgets' in
// WidgetReaders.h), so that it carries no reader, and no widget, it never uses.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "skin/GUIItem.h"

class CBitmap;
class CWnd;

// One of the state images a KBDKEYLIST shares among its keys (state name SBMN, SBMO, SBMD, SBMDS or
// SBMM; the image may be null).
struct KeyStateImage {
    const wchar_t* state;
    CBitmap* image;
};
using KeyStateImages = std::vector<KeyStateImage>;

// The image of `state` (compared up to the case of A-Z); null when the table has none.
CBitmap* FindKeyStateImage(const KeyStateImages& images, const wchar_t* state);

// What a reader gets beside its element.
struct SkinLoadContext {
    CWnd* parent;                           // parent window of new controls (a KBDKEYLIST's container)
    SkinItemList& list;                     // the list being loaded, holding everything read so far
    const KeyStateImages* keyStateImages;   // the shared key images inside a KBDKEYLIST, else null
    // A data file the element names that is missing or can't be read, below the program folder: the
    // reader sets it when the file leaves the program without what the element is for; the first one
    // found stays.
    std::wstring* damagedFile = nullptr;
};

// Creates the object of one element, or returns null to skip it (unknown name, missing data). The
// loader appends what it returns to context.list.
using SkinElementReader = CGUIItem* (*)(const pugi::xml_node& element, SkinLoadContext& context);

// One row of the table: an element name and its reader.
struct SkinElementRow {
    const char* element;
    SkinElementReader reader;
};

// Adds rows behind the table's own, before the skin files that name them are loaded; a name already
// added keeps its reader. An element whose reader nobody added is skipped like an unknown one.
void AddSkinElementReaders(const SkinElementRow* rows, size_t count);

// FONT and KBLAYOUT: the fonts of skinned panels and the entries of the keyboard layout list, the objects
// beside the language tables that are no windows (ObjectReaders.cpp).
void AddSkinObjectReaders();

// The reader of an element name (exact match); null for elements that are not read.
SkinElementReader FindSkinElementReader(const char* elementName);

// Test hook: puts `reader` in front of the table for `elementName` (null takes the entry away again).
// Returns the reader it replaced in front, if any.
SkinElementReader RegisterSkinElementReader(const char* elementName, SkinElementReader reader);
