# Giving a key a macro: the macro and how it plays.
set(PANELS SelectMacroPopup.xml)
set(WIDTH 420)
set(HEIGHT 280)
set(PRESSED BUTTON_MACRO_PLAY_ONCE)
set(SAMPLE_LIST_DROPDOWN_POPUP "Greeting")
