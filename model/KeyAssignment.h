// What one key does in one profile: the KeyAssignment record, its kinds and the macro play modes, and
// the small builders of the records that the key-assignment page and the profiles store.
#pragma once

#include <windows.h>

#include <cstdint>

// The kind field of a KeyAssignment; the language key of each kind is in AssignmentKindNames(). An odd
// kind of the pairs 6/7, 21/22 and 62/63 is the same function as the even one, named by text because
// the object has no GUID yet.
enum AssignmentKind : int32_t {
    kKindNone = -1,  // a key that a profile has never held
    kKindDefaultKey = 0,
    kKindClick = 1,
    kKindMenu = 2,
    kKindUniversalScrolling = 3,
    kKindDoubleClick = 4,
    kKindSingleKey = 5,
    kKindMacro = 6,
    kKindMacroText = 7,
    kKindButtonOff = 8,
    kKindAdvanced = 9,
    kKindOnTheFlySensitivity = 10,
    kKindButton4 = 11,
    kKindButton5 = 12,
    kKindSensitivityStageUp = 13,
    kKindSensitivityStageDown = 14,
    kKindSensitivityStages = 15,
    kKindDpiStage1 = 16,
    kKindDpiStage2 = 17,
    kKindDpiStage3 = 18,
    kKindDpiStage4 = 19,
    kKindDpiStage5 = 20,
    kKindProfile = 21,
    kKindProfileText = 22,
    kKindProfileUp = 23,
    kKindProfileDown = 24,
    kKindProfile1 = 25,
    kKindProfile2 = 26,
    kKindProfile3 = 27,
    kKindProfile4 = 28,
    kKindProfile5 = 29,
    kKindPlay = 30,
    kKindStop = 31,
    kKindBackward = 32,
    kKindForward = 33,
    kKindPause = 34,
    kKindVolumeUp = 35,
    kKindVolumeDown = 36,
    kKindMute = 37,
    kKindSkipBack = 38,
    kKindSkipForward = 39,
    kKindScrollUp = 40,
    kKindScrollDown = 41,
    kKindCut = 42,
    kKindCopy = 43,
    kKindPaste = 44,
    kKindUndo = 45,
    kKindAll = 46,
    kKindFind = 47,
    kKindNew = 48,
    kKindPrint = 49,
    kKindSave = 50,
    kKindSwapWindows = 51,
    kKindCloseWindow = 52,
    kKindLockPc = 53,
    kKindOpenExplorer = 54,
    kKindRun = 55,
    kKindShowDesktop = 56,
    kKindZoomIn = 57,
    kKindZoomOut = 58,
    kKindDpiSetting = 59,
    kKindProfileSetting = 60,
    kKindSelectFunction = 61,
    kKindLaunchProgram = 62,
    kKindLaunchProgramText = 63,
};

// The param of a macro assignment (kinds 6 and 7).
enum MacroPlayMode : uint32_t {
    kPlayOnce = 1,
    kPlayMultiple = 2,      // the record's count says how often
    kPlayUntilPressed = 3,  // until the key is pressed again
    kPlayWhilePressed = 4,  // while the key is held
};

// Key data of kinds 0 and 5. Kind 0 (the key's default) leaves virtualKey 0.
struct AssignedKey {
    uint16_t scanCode;
    uint16_t virtualKey;
    uint8_t extended;  // 0 or 1
};

// Characters the text of kinds 7, 22 and 63 may hold, the terminator not counted.
constexpr int kAssignmentTextLength = 259;

// The kind decides which member is meaningful; readers use only those bytes. text comes first so
// that value-initialisation clears the whole field.
union AssignmentData {
    wchar_t text[kAssignmentTextLength + 1];  // kinds 7, 22, 63
    GUID guid;                                // kinds 6, 21, 62
    AssignedKey key;                          // kinds 0, 5
};

// A plain value, copied whole. A default-constructed record is the empty record: kind -1, all else 0.
struct KeyAssignment {
    int32_t kind = kKindNone;
    AssignmentData data{};
    uint32_t param = 0;  // kinds 6 and 7: the MacroPlayMode
    uint8_t count = 0;   // kinds 6 and 7: the repeat count of kPlayMultiple
};

// Each builder first resets the whole record, then fills what its kind defines, and returns it.
// Texts are cut to kAssignmentTextLength characters.

// Kind 0 from a key's default scan code.
KeyAssignment& MakeDefaultAssignment(KeyAssignment& record, uint16_t scanCode, bool extended);
// Kind 5.
KeyAssignment& MakeSingleKeyAssignment(KeyAssignment& record, uint16_t scanCode, uint16_t virtualKey, bool extended);
// Kind 6: the macro by GUID.
KeyAssignment& MakeMacroAssignment(KeyAssignment& record, const GUID& macroGuid, uint32_t mode);
// Kind 7: the macro by name, while it has no GUID.
KeyAssignment& MakeMacroTextAssignment(KeyAssignment& record, const wchar_t* macroName, uint32_t mode);
// Kinds 21 and 62 (or any kind that carries a GUID).
KeyAssignment& MakeGuidAssignment(KeyAssignment& record, int32_t kind, const GUID& guid);
// Kinds 22 and 63 (or any kind that carries a text); null is taken as empty.
KeyAssignment& MakeTextAssignment(KeyAssignment& record, int32_t kind, const wchar_t* text);
