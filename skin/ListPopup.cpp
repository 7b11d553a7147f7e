// The list-popup seam and its default, the list panel.
#include "skin/ListPopup.h"

#include "skin/ListPanelItem.h"

namespace {

const ListPopupApi kDefaultApi = {RunListPanelPopup, ListPanelSubListChoice};

const ListPopupApi* g_api = &kDefaultApi;

} // namespace

const ListPopupApi& ListPopup() { return *g_api; }

void SetListPopupApi(const ListPopupApi* api) { g_api = api ? api : &kDefaultApi; }
