// IKeyboardProfile: how the configuration store, the device object and the pages reach one profile.
#pragma once

#include "model/KeyAssignment.h"

#include <windows.h>

#include <string>

class IKeyboardProfile {
public:
    virtual ~IKeyboardProfile() = default;

    virtual const std::wstring& GetName() const = 0;
    virtual void GetGuid(GUID& out) const = 0;
    // Every key already in the profile gets its keyboard default (kind 0); keys not yet held stay absent.
    virtual void ResetAssignments() = 0;
    virtual bool HasFile() const = 0;
    virtual void SetName(const wchar_t* name) = 0;  // null = empty
    virtual void SetGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3) = 0;  // see GuidFromWords
    virtual const std::wstring& GetAppFileName() const = 0;
    // Only the file name, as the device reports a linked program; null = empty.
    virtual void SetAppFileName(const wchar_t* fileName) = 0;
    virtual const std::wstring& GetFilePath() const = 0;
    virtual const std::wstring& GetAppPath() const = 0;
    // The linked program's full path; its file name follows from it.
    virtual void SetApp(const wchar_t* path) = 0;
    // False, and nothing stored, when the profile does not accept the record's kind.
    virtual bool SetKeyAssignment(int keyId, const KeyAssignment& record) = 0;
    // Copies the key's record into `out`; a key never held is added with the empty record (kind -1).
    virtual KeyAssignment& GetKeyAssignment(KeyAssignment& out, int keyId) = 0;
    virtual void SetAutoSwitch(BYTE on) = 0;
    virtual BYTE GetAutoSwitch() const = 0;
    virtual void SetShowProfileOsd(BYTE on) = 0;
    virtual BYTE GetShowProfileOsd() const = 0;
    virtual void SetShowDpiOsd(BYTE on) = 0;
    virtual bool GetShowDpiOsd() const = 0;
    virtual bool SaveToFile(std::wstring& outPath, const wchar_t* folder, const wchar_t* extension) = 0;
    virtual bool LoadFromFile(const wchar_t* stem, const wchar_t* folder, const wchar_t* extension) = 0;
};
