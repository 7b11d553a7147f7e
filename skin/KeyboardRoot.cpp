// The KEYBOARD top element: its KEYBOARDDEF, read before the sections of a keyboard page.
#include "skin/KeyboardDef.h"

#include <pugixml.hpp>

#include "skin/SkinElements.h"
#include "skin/SkinLoader.h"
#include "skin/SkinResources.h"
#include "skin/SkinValues.h"

namespace {

// A bin\ file of the resource cache with the number of bytes its kind-6 entry holds.
const BYTE* BinaryData(const std::wstring& fileName, size_t& size)
{
    const BYTE* data = GetSkinData(fileName);
    const int bytes = data ? GetSkinResourceSize(fileName, kSkinBinaryData) : 0;
    size = bytes > 0 ? static_cast<size_t>(bytes) : 0;
    return data;
}

// The key definitions; when they can't be read, the data file at fault (none when the skin file is).
bool ReadKeyboardRoot(const pugi::xml_node& keyboard, SkinLoadContext& context)
{
    return LoadKeyboardDef(keyboard, context.parent, context.list, context.damagedFile);
}

} // namespace

bool LoadKeyboardDef(const pugi::xml_node& root, CWnd* parent, SkinItemList& list, std::wstring* damagedFile)
{
    const pugi::xml_node element = root.child("KEYBOARDDEF");
    if (!element)
        return false;
    const int id = ReadItemId(element);
    if (id < 0)
        return false;
    if (!element.attribute("file"))
        return false;

    // A data file that can't be read is the one at fault.
    auto damaged = [&](const std::wstring& fileName) {
        if (damagedFile)
            *damagedFile = L"bin\\" + fileName;
        return false;
    };
    CKeyboardDef& definition = KeyboardDef();
    size_t size = 0;
    const std::wstring records = TrimmedFileName(AttributeText(element, "file"));
    const BYTE* data = BinaryData(records, size);
    if (!definition.LoadKeyRecords(data, size))
        return damaged(records);

    bool result = true;
    if (element.attribute("kbddefaults")) {
        const std::wstring defaults = TrimmedFileName(AttributeText(element, "kbddefaults"));
        data = BinaryData(defaults, size);
        result = definition.LoadKeyDefaults(data, size) || damaged(defaults);
    }

    definition.m_id = id;
    definition.m_type = SkinItemType::KeyboardDef;
    definition.m_window = nullptr;
    definition.m_owner = parent;
    list.push_back(&definition);
    return result;
}

void AddSkinKeyboardRoot()
{
    AddSkinRootReader("KEYBOARD", &ReadKeyboardRoot);
}
