// The single-key edit item and the reader of its EDITCTRLSK element.
#include "skin/EditItemSingleKey.h"

#include <iterator>
#include <memory>

#include "skin/RawInput.h"
#include "skin/SkinValues.h"

CEditItemSingleKeyInput::~CEditItemSingleKeyInput()
{
    if (m_holdsRawInput)
        RawInputRegistration::Shared().Unregister();
}

// ---------------------------------------------------------------------------------------------------
// Messages

LRESULT CEditItemSingleKeyInput::OnInput(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    RawInputReport report;
    if (ReadRawInput(reinterpret_cast<HRAWINPUT>(lParam), &report) && report.type == RIM_TYPEKEYBOARD)
        TakeKeyboardReport(report.keyboard);
    bHandled = FALSE;  // the system cleans up after the report in default processing
    return 0;
}

// The field shows the name of the key and nothing else: key-downs and characters that reach the
// control are not taken as editing (no typed characters, no paste or cut by key).
LRESULT CEditItemSingleKeyInput::OnKeyDown(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CEditItemSingleKeyInput::OnChar(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// Capturing a key

template <typename Fill>
bool CEditItemSingleKeyInput::FillStroke(Fill fill)
{
    KeyStroke filled = m_stroke;
    if (!fill(filled)) {
        m_stroke.workVirtualKey = filled.workVirtualKey;
        m_stroke.workScanCode = filled.workScanCode;
        return false;
    }
    m_stroke = filled;
    return true;
}

BOOL CEditItemSingleKeyInput::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP)
        return FALSE;
    bool swallow = false;
    const bool show = FillStroke([&](KeyStroke& stroke) {
        swallow = FillKeyStrokeFromMessage(*msg, stroke);
        return !swallow;
    });
    if (show)
        ShowKeyName(m_stroke.name);
    return swallow ? TRUE : FALSE;
}

void CEditItemSingleKeyInput::TakeKeyboardReport(const RAWKEYBOARD& report)
{
    if (FillStroke([&](KeyStroke& stroke) { return FillKeyStrokeFromRawInput(stroke, &report); }))
        ShowKeyName(m_stroke.name);
}

void CEditItemSingleKeyInput::ShowKeyName(const std::wstring& name)
{
    const UINT limit = GetLimitText();
    LimitText(static_cast<UINT>(name.size()));
    // The whole text goes, wherever the caret is: the field holds the name of one key.
    SetSel(0, -1);
    ScrollCaret();
    ReplaceSel(name.c_str(), FALSE);
    LimitText(limit);
}

// ---------------------------------------------------------------------------------------------------
// Reading the element

namespace {

const EditColourRow kSingleKeyColours[] = {
    {"fontclr", &CEditItem::m_clrText},
    {"fontclrhi", &CEditItem::m_clrTextHot},
    {"backclr", &CEditItem::m_clrBack},
    {"backclrhi", &CEditItem::m_clrBackHot},
    {"bdrclr", &CEditItem::m_clrBorder},
};

} // namespace

CGUIItem* CreateEditItemSingleKeyInput(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    auto item = std::make_unique<CEditItemSingleKeyInput>();
    ReadEditItemLook(element, id, context.list, kSingleKeyColours, std::size(kSingleKeyColours), *item);
    if (!CreateEditItemWindow(element, id, WS_CHILD | WS_VISIBLE | ES_CENTER, context.parent, *item))
        return nullptr;
    RawInputRegistration& rawInput = RawInputRegistration::Shared();
    rawInput.AddUsage(kHidUsageKeyboard);
    item->m_holdsRawInput = rawInput.Register(item->m_hWnd);
    ApplyEditTextLimit(element, *item);
    item->m_type = SkinItemType::EditItemSingleKey;
    return item.release();
}
