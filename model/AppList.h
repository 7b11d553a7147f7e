// The programs that key assignments may launch: AppEntry and the store's list of them, CQnAppList.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct AppEntry {
    std::wstring name;  // the program's path or name as it was added
    GUID guid{};        // zero until the device knows the program
};

// Same GUID and the same name, letter case included.
inline bool operator==(const AppEntry& a, const AppEntry& b) { return a.guid == b.guid && a.name == b.name; }
inline bool operator!=(const AppEntry& a, const AppEntry& b) { return !(a == b); }

class CQnAppList {
public:
    CQnAppList() = default;
    CQnAppList(const CQnAppList&) = delete;
    CQnAppList& operator=(const CQnAppList&) = delete;
    virtual ~CQnAppList() = default;

    std::size_t GetCount() const { return m_apps.size(); }
    // Null when the index is not below the count.
    AppEntry* GetAt(std::size_t index) const;

    // First entry whose name equals `name` up to the case of A-Z; null = none.
    AppEntry* FindAppByName(const wchar_t* name) const;
    // First entry with this GUID; null = none.
    AppEntry* FindAppByGuid(const GUID& guid) const;
    // Appends an entry with a zero GUID; null, and nothing added, when the name is present already.
    AppEntry* AddApp(const wchar_t* name);
    // Destroys the entry when it is in the list; anything else (null included) is left alone.
    void RemoveApp(AppEntry* entry);

private:
    std::vector<std::unique_ptr<AppEntry>> m_apps;
};
