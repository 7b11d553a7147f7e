// The skin element reader table.
#include "skin/SkinElements.h"

#include <map>
#include <string>

#include "model/TextCompare.h"
#include "skin/LangTable.h"

namespace {

CGUIItem* ReadLang(const pugi::xml_node& element, SkinLoadContext& context)
{
    return ReadLangElement(element, context.parent, context.list, context.damagedFile);
}

// The readers programs added, by element name: every program reads its language table with the loader
// and adds the readers of whatever else it makes; the first reader of a name stays.
std::map<std::string, SkinElementReader>& AddedReaders()
{
    static std::map<std::string, SkinElementReader> readers = {{"LANG", &ReadLang}};
    return readers;
}

// The tests' readers, in front of the added ones.
std::map<std::string, SkinElementReader>& RegisteredReaders()
{
    static std::map<std::string, SkinElementReader> readers;
    return readers;
}

} // namespace

CBitmap* FindKeyStateImage(const KeyStateImages& images, const wchar_t* state)
{
    if (!state)
        return nullptr;
    for (const KeyStateImage& entry : images) {
        if (entry.state && EqualsNoCaseAZ(entry.state, state))
            return entry.image;
    }
    return nullptr;
}

SkinElementReader FindSkinElementReader(const char* elementName)
{
    if (!elementName)
        return nullptr;
    for (const auto* readers : {&RegisteredReaders(), &AddedReaders()}) {
        auto found = readers->find(elementName);
        if (found != readers->end())
            return found->second;
    }
    return nullptr;
}

SkinElementReader RegisterSkinElementReader(const char* elementName, SkinElementReader reader)
{
    auto& readers = RegisteredReaders();
    SkinElementReader previous = nullptr;
    auto found = readers.find(elementName);
    if (found != readers.end()) {
        previous = found->second;
        readers.erase(found);
    }
    if (reader)
        readers[elementName] = reader;
    return previous;
}

void AddSkinElementReaders(const SkinElementRow* rows, size_t count)
{
    for (size_t k = 0; k < count; ++k)
        AddedReaders().emplace(rows[k].element, rows[k].reader);
}
