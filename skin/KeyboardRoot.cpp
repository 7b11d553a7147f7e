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

// The key definitions; when they can't be read, the data file at fault, or the skin file when the
// element names none.
bool ReadKeyboardRoot(const pugi::xml_node& keyboard, SkinLoadContext& context, std::wstring& damagedFile)
{
    if (LoadKeyboardDef(keyboard, context.parent, context.list))
        return true;
    pugi::xml_node definition = keyboard.child("KEYBOARDDEF");
    if (ReadItemId(definition) < 0 || !definition.attribute("file"))
        return false;
    // The definition enters the list once its key records are read: then the defaults failed.
    const bool recordsRead = !context.list.empty() && context.list.back() == &KeyboardDef();
    const char* data = recordsRead ? "kbddefaults" : "file";
    damagedFile = L"bin\\" + TrimmedFileName(AttributeText(definition, data));
    return false;
}

} // namespace

bool LoadKeyboardDef(const pugi::xml_node& root, CWnd* parent, SkinItemList& list)
{
    const pugi::xml_node element = root.child("KEYBOARDDEF");
    if (!element)
        return false;
    const int id = ReadItemId(element);
    if (id < 0)
        return false;
    if (!element.attribute("file"))
        return false;

    CKeyboardDef& definition = KeyboardDef();
    size_t size = 0;
    const BYTE* data = BinaryData(TrimmedFileName(AttributeText(element, "file")), size);
    if (!definition.LoadKeyRecords(data, size))
        return false;

    bool result = true;
    if (element.attribute("kbddefaults")) {
        data = BinaryData(TrimmedFileName(AttributeText(element, "kbddefaults")), size);
        result = definition.LoadKeyDefaults(data, size);
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
