// The multi-thumb slider: its thumbs, its picture, track clicks and passing notifications on.
#include "skin/SliderHMulti.h"

#include <windowsx.h>

#include "model/NameTables.h"
#include "skin/BitmapItem.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"

namespace {

// Thumb k starts at this value plus k.
constexpr int kFirstThumbValue = 3;

} // namespace

CSliderHMulti::~CSliderHMulti()
{
    // The thumbs' windows go with the slider's; their objects after.
    if (m_hWnd && IsWindow())
        DestroyWindow();
    m_thumbs.clear();
}

bool CSliderHMulti::Create(const RECT& rc, HWND in, int id, const CBitmapItem* container)
{
    return CreateStrip(rc, in, id, container);
}

void CSliderHMulti::CreateThumbs(const std::vector<int>& stageIds, HBITMAP normal, HBITMAP hot)
{
    BITMAP image = {};
    if (normal && ::GetObjectW(normal, sizeof(image), &image)) {
        m_imageWidth = image.bmWidth;
        m_imageHeight = image.bmHeight;
    }
    for (size_t k = 0; k < stageIds.size() && k < kMaxThumbs; ++k) {
        if (auto thumb = CPHSlider::CreateInSlider(*this, m_rangeMin, m_rangeMax, normal, hot, stageIds[k],
                                                   kFirstThumbValue + static_cast<int>(k)))
            m_thumbs.push_back(std::move(thumb));
    }
}

void CSliderHMulti::SetOffset(int left)
{
    m_leftOffset = left;
    for (auto& thumb : m_thumbs)
        thumb->m_leftOffset = left;
}

void CSliderHMulti::SetOffsets(int left, int right)
{
    m_leftOffset = left;
    m_rightOffset = right;
    for (auto& thumb : m_thumbs) {
        thumb->m_leftOffset = left;
        thumb->m_rightOffset = right;
    }
}

void CSliderHMulti::SetInteractive(bool interactive)
{
    m_interactive = interactive;
    for (auto& thumb : m_thumbs)
        thumb->m_interactive = interactive;
}

LRESULT CSliderHMulti::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PaintClientImage(m_hWnd, m_background);
    return 0;
}

LRESULT CSliderHMulti::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    LRESULT result = DefWindowProc();
    if (!m_interactive || m_thumbs.empty() || !m_thumbs.front()->HasSteps())
        return result;
    CPHSlider& first = *m_thumbs.front();
    first.SetValue(first.ValueAtCentre(GET_X_LPARAM(lParam)));
    PostMessage(WM_SLIDER_POSCHANGED, static_cast<WPARAM>(first.m_value), static_cast<LPARAM>(first.m_id));
    return result;
}

LRESULT CSliderHMulti::OnPosChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    PostToParentAndCreator(m_hWnd, m_createdIn, msg, wParam, lParam);
    return 0;
}

CGUIItem* CreateSliderHMulti(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    std::vector<std::pair<int, std::wstring>> stages;  // item id, tooltip key
    for (pugi::xml_node stage = element.child("STAGES").child("STAGE");
         stage && stages.size() < CSliderHMulti::kMaxThumbs; stage = stage.next_sibling("STAGE")) {
        stages.emplace_back(FindSkinResourceId(TrimmedFileName(ElementText(stage))), AttributeText(stage, "tooltip"));
    }
    if (stages.empty())
        return nullptr;

    const SliderPlace place = ReadSliderPlace(element, id, context);
    if (!place.in)
        return nullptr;
    auto slider = std::make_unique<CSliderHMulti>();
    if (!slider->Create(place.rc, place.in->m_hWnd, id, place.container))
        return nullptr;

    std::vector<int> stageIds;
    for (const auto& stage : stages)
        stageIds.push_back(stage.first);
    slider->CreateThumbs(stageIds, ReadChildDib(element, "SBMN"), ReadChildDib(element, "SBMO"));
    for (size_t k = 0; k < slider->m_thumbs.size(); ++k) {
        if (!stages[k].second.empty())
            slider->m_thumbs[k]->SetTooltip(stages[k].second);
    }
    slider->SetInteractive(ReadInteractiveFlag(element));
    if (element.attribute("offset"))
        slider->SetOffset(ParseDecimal(AttributeText(element, "offset")));
    if (element.attribute("loffset") && element.attribute("roffset"))
        slider->SetOffsets(ParseDecimal(AttributeText(element, "loffset")),
                           ParseDecimal(AttributeText(element, "roffset")));

    slider->SetSkinItem(id, SkinItemType::MultiSlider, slider->m_hWnd, place.in);
    return slider.release();
}
