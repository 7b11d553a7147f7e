# Giving a key the function of another key.
set(PANELS SingleKeyPopup.xml)
set(WIDTH 400)
set(HEIGHT 190)
set(SAMPLE_EDITCTRL_POPUP_SINGLEKEYENTRY "Left Ctrl")
