// This keyboard's profile: the assignment kinds it accepts and its reset to the keyboard's defaults.
#include "model/OssleProfile.h"

#include "model/GuidWords.h"
#include "skin/KeyboardDef.h"

bool COssleProfile::IsKindSupported(int kind) const
{
    static const int kAccepted[] = {kKindDefaultKey, kKindSingleKey, kKindMacro, kKindProfile, kKindLaunchProgram};
    for (int accepted : kAccepted) {
        int given = kind;
        // A text twin names the same function as its GUID kind.
        if ((accepted == kKindMacro && given == kKindMacroText) || (accepted == kKindProfile && given == kKindProfileText) ||
            (accepted == kKindLaunchProgram && given == kKindLaunchProgramText))
            given = accepted;
        if (given == accepted)
            return true;
    }
    return false;
}

void COssleProfile::ResetAssignments()
{
    CKeyboardDef& keyboard = KeyboardDef();
    KeyAssignment record;
    for (const auto& entry : KeyAssignments()) {
        const KeyScanCode& defaults = keyboard.GetDefaultScanCode(entry.first);
        SetKeyAssignment(entry.first, MakeDefaultAssignment(record, defaults.code, defaults.extended != 0));
    }
}

void COssleProfile::SetGuid(DWORD w0, DWORD w1, DWORD w2, DWORD w3)
{
    CKeyboardProfile::SetGuid(GuidFromWords(w0, w1, w2, w3));
}
