# The Profiles page with the factory profile and a second one linked to a game.
set(PANELS MainPage.xml ManageProfiles.xml)
set(WIDTH 960)
set(HEIGHT 660)
set(PRESSED BUTTON_MANAGEPROFILES BUTTON_ENABLE_PROFILE_OSD)
set(ROWS_LIST_PROFILELIST "[x]|01|Profile 1||[ ]" "[ ]|02|Games|game.exe|[x]")
