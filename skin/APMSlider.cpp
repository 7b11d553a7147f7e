// The multi-stage slider: stage arrangement, bands, blending the picture over them and band clicks.
#include "skin/APMSlider.h"

#include <windowsx.h>

#include <cstdio>
#include <string>

#include "skin/BitmapItem.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

// The painting trace goes to the debugger output; there is no log file.
template <class... Args> void Trace(const wchar_t* format, Args... args)
{
    wchar_t line[128] = {};
    std::swprintf(line, sizeof(line) / sizeof(line[0]), format, args...);
    ::OutputDebugStringW(line);
}

} // namespace

CAPMSlider::~CAPMSlider()
{
    // The stages' windows go with the slider's; their objects after.
    if (m_hWnd && IsWindow())
        DestroyWindow();
    m_stages.clear();
}

bool CAPMSlider::Create(const RECT& rc, HWND in, int id, const CBitmapItem* container, HBITMAP stageImage,
                        HBITMAP stageHotImage)
{
    if (!CreateStrip(rc, in, id, container))
        return false;
    m_stageImage = stageImage;
    m_stageHotImage = stageHotImage;
    return true;
}

CPHSlider* CAPMSlider::AddStage(int stageId, int value, COLORREF colour)
{
    auto stage =
        CPHSlider::CreateInSlider(*this, m_rangeMin, m_rangeMax, m_stageImage, m_stageHotImage, stageId, value);
    if (!stage)
        return nullptr;
    m_stages.push_back(std::move(stage));
    m_colours.resize(m_stages.size());
    m_colours.push_back(colour);
    Invalidate(FALSE);
    return m_stages.back().get();
}

void CAPMSlider::SetDefaultStages()
{
    const int step = (m_rangeMax - m_rangeMin) / static_cast<int>(m_stages.size() + 1);
    for (size_t i = 0; i < m_stages.size(); ++i)
        m_stages[i]->SetValue(m_rangeMin + static_cast<int>(i + 1) * step);
}

void CAPMSlider::RemoveTickerCapRanges()
{
    for (auto& stage : m_stages)
        stage->SetCapRange(m_rangeMin, m_rangeMax);
}

void CAPMSlider::SetTickerCapRanges()
{
    const size_t n = m_stages.size();
    for (size_t i = 0; i < n; ++i) {
        const int low = i == 0 ? m_rangeMin : m_stages[i - 1]->m_value;
        const int high = i + 1 == n ? m_rangeMax : m_stages[i + 1]->m_value;
        m_stages[i]->SetCapRange(low, high);
    }
}

void CAPMSlider::SetDefaultColours()
{
    const size_t n = m_stages.size();
    if (n == 0 || m_rangeMax <= m_rangeMin)
        return;
    const int step = static_cast<int>(n + 1) * 255 / (m_rangeMax - m_rangeMin);
    int grey = 0;
    for (size_t i = 0; i < n && i < m_colours.size(); ++i) {
        m_colours[i] = static_cast<COLORREF>(grey) * 0x010101;
        grey = (grey + step) % 256;
    }
}

COLORREF CAPMSlider::BandColour(size_t band) const
{
    return band < m_colours.size() ? m_colours[band] : RGB(0, 0, 0);
}

int CAPMSlider::BandX(int value) const
{
    RECT client = {};
    GetClientRect(&client);
    const int range = m_rangeMax - m_rangeMin;
    if (m_stages.empty() || range <= 0)
        return client.left;
    RECT first = {};
    m_stages.front()->GetClientRect(&first);
    const int s = first.right - first.left;
    const int usable = (client.right - client.left) - s;
    return ((value - m_rangeMin) * usable + range / 2) / range + s / 2 + client.left;
}

int CAPMSlider::BandAt(int x) const
{
    RECT client = {};
    GetClientRect(&client);
    const int width = client.right - client.left;
    if (width <= 0)
        return -1;
    const int clicked = m_rangeMin + (m_rangeMax - m_rangeMin) * x / width;
    int band = 0;
    while (band < static_cast<int>(m_stages.size()) && m_stages[band]->m_value <= clicked)
        ++band;
    return band;
}

void CAPMSlider::DrawBands(CDC& dc, const RECT& client) const
{
    for (size_t i = 0; i < m_colours.size(); ++i)
        Trace(L"CAPMSlider::OnPaint Color(%d): 0x%x\n", static_cast<int>(i), static_cast<unsigned>(m_colours[i]));
    for (size_t i = 0; i < m_stages.size(); ++i)
        Trace(L"CAPMSlider::OnPaint Pos(%d): 0x%d\n", static_cast<int>(i), m_stages[i]->m_value);
    if (m_stages.empty()) {
        dc.FillSolidRect(client, BandColour(0));
        return;
    }
    int left = client.left;
    for (size_t band = 0; band <= m_stages.size(); ++band) {
        const int right = band < m_stages.size() ? BandX(m_stages[band]->m_value) : static_cast<int>(client.right);
        const COLORREF colour = BandColour(band);
        Trace(L"CAPMSlider::OnPaint CurrentRect(%d, %d): color(0x%x)\n", left, right, static_cast<unsigned>(colour));
        dc.FillSolidRect(RECT{left, client.top, right, client.bottom}, colour);
        left = right;
    }
}

void CAPMSlider::Draw(CDC& dc, const RECT& client) const
{
    DrawBands(dc, client);
    if (m_background.IsNull())
        return;
    CDC backDC;
    if (!backDC.CreateCompatibleDC(dc))
        return;
    CSelectObject selectBack(backDC, m_background);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, m_alpha, 0};
    const SIZE size = m_background.GetSize();
    ::AlphaBlend(dc, 0, 0, size.cx, size.cy, backDC, 0, 0, size.cx, size.cy, blend);
}

LRESULT CAPMSlider::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    CPaintDC dc(m_hWnd);
    RECT client = {};
    GetClientRect(&client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    CDC memDC;
    CBitmap composed;
    if (width <= 0 || height <= 0 || !memDC.CreateCompatibleDC(dc) ||
        !composed.CreateCompatibleBitmap(dc, width, height))
        return 0;
    CSelectObject select(memDC, composed);
    Draw(memDC, client);
    dc.BitBlt(0, 0, width, height, memDC, 0, 0, SRCCOPY);
    return 0;
}

LRESULT CAPMSlider::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // A slider without width has no band under any point.
    const int band = BandAt(GET_X_LPARAM(lParam));
    if (band >= 0)
        PostToParentAndCreator(m_hWnd, m_createdIn, WM_APMSTAGE_CLICKED, static_cast<WPARAM>(band),
                               static_cast<LPARAM>(m_id));
    return 0;
}

void CAPMSlider::InvalidateStageStrip(size_t stage)
{
    RECT client = {};
    GetClientRect(&client);
    const int range = m_rangeMax - m_rangeMin;
    if (m_stages.size() < 2 || range <= 0) {
        InvalidateRect(nullptr, FALSE);
        return;
    }
    auto x = [&](int value) { return (value - m_rangeMin) * (client.right - client.left) / range; };
    RECT strip = client;
    if (stage > 0)
        strip.left = x(m_stages[stage - 1]->m_value);
    if (stage + 1 < m_stages.size())
        strip.right = x(m_stages[stage + 1]->m_value);
    CRgn region;
    region.CreateRectRgn(strip.left, strip.top, strip.right, strip.bottom);
    for (size_t neighbour : {stage - 1, stage + 1}) {
        if (neighbour >= m_stages.size())
            continue;
        RECT rc = {};
        m_stages[neighbour]->GetWindowRect(&rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        CRgn cut;
        cut.CreateRectRgn(rc.left, rc.top, rc.right, rc.bottom);
        region.CombineRgn(region, cut, RGN_DIFF);
    }
    ::InvalidateRgn(m_hWnd, region, FALSE);
}

LRESULT CAPMSlider::OnPosChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ApplyCapRanges();
    for (size_t i = 0; i < m_stages.size(); ++i) {
        if (m_stages[i]->m_id == static_cast<int>(lParam) && m_stages[i]->m_value == static_cast<int>(wParam)) {
            InvalidateStageStrip(i);
            break;
        }
    }
    PostToParentAndCreator(m_hWnd, m_createdIn, msg, wParam, lParam);
    return 0;
}

void CAPMSlider::ApplyCapRanges()
{
    if (m_freeStages)
        RemoveTickerCapRanges();
    else
        SetTickerCapRanges();
}

CGUIItem* CreateAPMSlider(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    const SliderPlace place = ReadSliderPlace(element, id, context);
    if (!place.in)
        return nullptr;
    auto slider = std::make_unique<CAPMSlider>();
    if (!slider->Create(place.rc, place.in->m_hWnd, id, place.container, ReadChildDib(element, "SBMN"), ReadChildDib(element, "SBMO")))
        return nullptr;
    slider->SetSkinItem(id, SkinItemType::MarkerSlider, slider->m_hWnd, place.in);
    slider->SetDefaultStages();
    slider->ApplyCapRanges();
    slider->SetDefaultColours();
    return slider.release();
}
