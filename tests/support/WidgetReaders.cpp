// Linked into the test executables that make widgets: every object's and widget's reader, and the
// keyboard pages' and panels' top elements, join the skin loader before the tests run, as a program adds
// the readers of what it makes.
#include "skin/SkinElements.h"
#include "skin/SkinLoader.h"
#include "skin/WidgetReaders.h"

namespace {

const bool g_widgetReadersAdded = (AddSkinObjectReaders(), AddSkinWidgetReaders(), AddSkinValueWidgetReaders(),
                                   AddSkinKeyboardRoot(), AddSkinPanelRoot(), true);

} // namespace
