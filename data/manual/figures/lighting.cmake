# The Lighting and maintenance page, the lighting on.
set(PANELS MainPage.xml LightingMaintenance.xml)
set(WIDTH 960)
set(HEIGHT 660)
set(PRESSED BUTTON_LIGHTINGMAINTENANCE GLOW_LEDON)
set(SAMPLE_LIST_GLOBALPROFILELIST "Profile 1")
