// The element readers of the widgets, for the programs that make them: each program adds the groups its
// skin files name before it loads them (SkinElements.h), and carries only those widgets. Each group
// also installs the decoding of the pictures the widgets show (AddSkinPictureDecoder).
#pragma once

// BUTTON, PROFBUTTON, AVIBUTTON, TEXTITEM, EDITCTRL, EDITCTRLSK, BITMAPITEM, BITMAPWINDOW, COMBO,
// LISTCTRL, LISTPANEL, MACRODISPLAY and KBDKEY: every widget the configurator's skin set uses.
void AddSkinWidgetReaders();

// VSLIDER, HSLIDERM, HSLIDERMAPM, DMARKER and DPISTAGEWINDOW: the value widgets.
void AddSkinValueWidgetReaders();
