// CGUIPanel: loading the skin at creation, size and shape from the panel bitmaps, painting.
#include "skin/GUIPanel.h"

#include "framework/Gdi.h"
#include "skin/DrawingHelpers.h"
#include "skin/PanelBitmap.h"
#include "skin/SkinLoader.h"

namespace {

constexpr int kBackgroundId = 0;  // BACKGROUND
constexpr int kMaskId = 1;        // MASK

CPanelBitmap* FindPanelBitmap(const SkinItemList& items, int id)
{
    CGUIItem* item = FindItemById(items, id);
    if (!item || item->m_type != SkinItemType::PanelBitmap)
        return nullptr;
    return dynamic_cast<CPanelBitmap*>(item);
}

} // namespace

CGUIPanel::CGUIPanel(const std::wstring& skinFile, const CDialogTemplate& dialogTemplate, CWnd* parent)
    : CDialog(dialogTemplate, parent), m_skinFile(skinFile)
{
}

CGUIPanel::CGUIPanel(CWnd* parent, const RECT& rect, const CDialogTemplate& dialogTemplate)
    : CDialog(dialogTemplate, parent), m_rect(rect)
{
}

CGUIPanel::~CGUIPanel()
{
    // End the window while this object still handles its messages, then its controls' objects.
    if (m_hWnd)
        DestroyWindow();
    FreeSkinItemList(m_items);
}

LRESULT CGUIPanel::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;  // the dialog's own creation goes on after this
    if (m_skinFile.empty()) {
        MoveWindow(0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, TRUE);
        m_created = true;
        return 0;
    }

    // A panel made a second time (a popup run again) starts from a fresh skin: the objects of the last
    // run belong to windows that are gone.
    FreeSkinItemList(m_items);
    m_background = nullptr;
    m_mask = nullptr;
    m_region = nullptr;
    // A load that fails always names the file at fault.
    m_damagedFile.clear();
    LoadSkinFile(m_items, m_skinFile, this, &m_damagedFile);

    m_background = FindPanelBitmap(m_items, kBackgroundId);
    BITMAP bm = {};
    const bool sized = m_background && m_background->GetBitmap(&bm);
    if (!sized && m_damagedFile.empty())
        m_damagedFile = L"xml\\" + m_skinFile;  // read, but not a panel
    if (!m_damagedFile.empty() && RefuseDamagedSkin()) {
        bHandled = TRUE;
        return -1;
    }
    if (sized) {
        m_rect = RECT{0, 0, bm.bmWidth, bm.bmHeight};
        MoveWindow(0, 0, bm.bmWidth, bm.bmHeight, TRUE);
    } else {
        // No size source in the skin: the template's size stays.
        RECT window = {};
        GetWindowRect(&window);
        m_rect = RECT{0, 0, window.right - window.left, window.bottom - window.top};
    }

    m_mask = FindPanelBitmap(m_items, kMaskId);
    if (m_mask) {
        if (HRGN region = BitmapToRegion(*m_mask)) {
            // An all-white mask would cut the whole window away: such a mask shapes nothing.
            RECT box = {};
            if (::GetRgnBox(region, &box) != NULLREGION && SetWindowRgn(region, TRUE))
                m_region = region;
            else
                ::DeleteObject(region);  // the window did not take it
        }
        // The mask's only use is the region: a window's worth of pixels need not stay for nothing.
        m_mask->DeleteObject();
        m_mask->m_copy = nullptr;
    }
    m_created = true;
    return 0;
}

LRESULT CGUIPanel::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    const LRESULT result = DefWindowProc();
    for (CPanelBitmap* bitmap : {m_background, m_mask}) {
        if (bitmap) {
            bitmap->DeleteObject();
            bitmap->m_copy = nullptr;
        }
    }
    m_created = false;
    return result;
}

LRESULT CGUIPanel::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    if (!m_created || !m_background || m_background->IsNull())
        return 0;
    RECT client = {};
    GetClientRect(&client);
    CDC memory;
    if (!memory.CreateCompatibleDC(dc))
        return 0;
    CSelectObject select(memory, *m_background);
    dc.BitBlt(client.left, client.top, client.right - client.left, client.bottom - client.top, memory, 0, 0,
              SRCCOPY);
    return 0;
}
