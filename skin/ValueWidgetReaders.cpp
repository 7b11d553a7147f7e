// The value widgets' rows of the skin element table.
#include "skin/WidgetReaders.h"

#include <iterator>

#include "skin/APMSlider.h"
#include "skin/DMarker.h"
#include "skin/DPIStageWindow.h"
#include "skin/SkinElements.h"
#include "skin/SkinResources.h"
#include "skin/SliderHMulti.h"
#include "skin/VertSlider.h"

void AddSkinValueWidgetReaders()
{
    AddSkinPictureDecoder();
    static const SkinElementRow kRows[] = {
        {"VSLIDER", &CreateVertSlider},
        {"HSLIDERM", &CreateSliderHMulti},
        {"HSLIDERMAPM", &CreateAPMSlider},
        {"DMARKER", &CreateDMarker},
        {"DPISTAGEWINDOW", &CreateDPIStageWindow},
    };
    AddSkinElementReaders(kRows, std::size(kRows));
}
