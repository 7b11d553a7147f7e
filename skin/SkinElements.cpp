// The skin element reader table.
#include "skin/SkinElements.h"

#include <cstring>
#include <map>
#include <string>

#include "model/TextCompare.h"
#include "skin/LangTable.h"

namespace {

CGUIItem* ReadLang(const pugi::xml_node& element, SkinLoadContext& context)
{
    return ReadLangElement(element, context.parent, context.list, context.damagedFile);
}

// Every program reads its language table with the loader; it adds the readers of whatever else it makes.
const SkinElementRow kBuiltInReaders[] = {
    {"LANG", &ReadLang},
};

std::vector<SkinElementRow>& AddedReaders()
{
    static std::vector<SkinElementRow> readers;
    return readers;
}

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
    auto registered = RegisteredReaders().find(elementName);
    if (registered != RegisteredReaders().end())
        return registered->second;
    for (const SkinElementRow& row : kBuiltInReaders) {
        if (std::strcmp(row.element, elementName) == 0)
            return row.reader;
    }
    for (const SkinElementRow& row : AddedReaders()) {
        if (std::strcmp(row.element, elementName) == 0)
            return row.reader;
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
    for (size_t k = 0; k < count; ++k) {
        const SkinElementRow& row = rows[k];
        bool known = false;
        for (const SkinElementRow& added : AddedReaders())
            known = known || std::strcmp(added.element, row.element) == 0;
        if (!known)
            AddedReaders().push_back(row);
    }
}
