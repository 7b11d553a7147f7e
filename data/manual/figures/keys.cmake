# The Keys page, no key under the mouse yet.
set(PANELS MainPage.xml AssignKeys.xml KeyboardEnglish.xml)
set(WIDTH 960)
set(HEIGHT 660)
set(PRESSED BUTTON_ASSIGNKEYS)
set(SAMPLE_LIST_GLOBALPROFILELIST "Profile 1")
