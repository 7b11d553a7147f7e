// The list-popup seam and its default.
#include "skin/ListPopup.h"

namespace {

int NoPopup(const ListPopupRequest&) { return -1; }

int NoSubListChoice(const CListPanelItem*, std::wstring*) { return -1; }

const ListPopupApi kDefaultApi = {NoPopup, NoSubListChoice};

const ListPopupApi* g_api = &kDefaultApi;

} // namespace

const ListPopupApi& ListPopup() { return *g_api; }

void SetListPopupApi(const ListPopupApi* api) { g_api = api ? api : &kDefaultApi; }
