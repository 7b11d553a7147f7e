// Key assignments as the device stores them: the record template of each assignment kind, and the
// conversions between a profile's KeyAssignment and the 32-byte KeyAssignmentRecord of one button.
// Pure functions: callers pass the key's default scan code, so the worker thread never reaches into the
// program-wide keyboard definition.
#pragma once

#include "model/KeyAssignment.h"
#include "service/DeviceRecords.h"
#include "skin/KeyboardDef.h"

#include <windows.h>

#include <cstdint>

// The leading value of every record the configurator builds.
constexpr DWORD kConfiguratorRecordLeading = 1;

// What a kind's record holds before the assignment's own data is put in.
struct AssignmentTemplate {
    int32_t kind;
    DWORD serviceType;
    bool hasCode;  // a 32-bit code at 12 that tells kinds of the same service type apart
    DWORD code;
    bool hasStage;  // a 32-bit stage index at 16 (sensitivity stages)
    DWORD stage;
};

// AssignmentTemplateMap: the templates in ascending kind order; kinds without one (and -1) have no template.
const AssignmentTemplate* AssignmentTemplates(size_t* count);
const AssignmentTemplate* FindAssignmentTemplate(int32_t kind);
// The template's record: leading value 1, button id 0, the service type, the code and stage, all else 0.
// All zero for a kind without template.
KeyAssignmentRecord MakeTemplateRecord(int32_t kind);

// The first template (ascending kind) that the record matches: service types 1, 3 and 4 on the code at
// 12 as well, types 2, 5, 6, 8 and 9 on the type alone, type 7 never. -1 when none matches.
int32_t RecordToKind(const KeyAssignmentRecord& record);

// Play modes: the model numbers "until pressed again" 3 and "while held" 4, the device the other way
// round. Unknown modes become 0.
BYTE ToDevicePlayMode(uint32_t modelMode);
uint32_t FromDevicePlayMode(BYTE deviceMode);

// The record of one button. Assignments that do not say what the key does are written as the key's
// default (kind 0 from `keyDefault`): the empty assignment of a key the profile never held (kind -1),
// and a macro, profile or program still named by text because it could not be resolved to a GUID, whose
// text must never reach the device as GUID bytes.
KeyAssignmentRecord AssignmentToRecord(const KeyAssignment& assignment, DWORD buttonId, const KeyScanCode& keyDefault);

// The assignment a record stands for on a key whose default scan code is `keyDefault`. A key record that
// sends the key's own default code is kind 0, rebuilt exactly as the default assignment is built; a
// record no template matches is kind -1, which profiles do not keep.
KeyAssignment RecordToAssignment(const KeyAssignmentRecord& record, const KeyScanCode& keyDefault);

// True for the text kinds that name a macro, profile or program not yet known by GUID.
bool IsNamedAssignment(int32_t kind);

// The key id of the key behind a button id (0 when the keyboard has no such key).
int32_t KeyIdOfButton(DWORD buttonId, const CKeyboardDef& keyboard);
