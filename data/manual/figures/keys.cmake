# The Keys page, the key hint telling what Caps Lock does.
set(PANELS MainPage.xml AssignKeys.xml KeyboardEnglish.xml)
set(WIDTH 960)
set(HEIGHT 660)
set(PRESSED BUTTON_ASSIGNKEYS)
set(SAMPLE_LIST_GLOBALPROFILELIST "Profile 1")
