// Linked into the test executables that make widgets: every object's and widget's reader joins the skin
// loader's table before the tests run, as a program adds the readers of what it makes.
#include "skin/SkinElements.h"
#include "skin/WidgetReaders.h"

namespace {

const bool g_widgetReadersAdded = (AddSkinObjectReaders(), AddSkinWidgetReaders(), AddSkinValueWidgetReaders(), true);

} // namespace
