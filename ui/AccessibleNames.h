#pragma once
// What a screen reader says for the dialog's windows. The system names an edit
// box after the static text before it in the template, which for this dialog's
// tab order is "Password" for every box; each box is given its own name here,
// and the dialog a description while it connects. The accessibility library
// is loaded only when a client first asks, so a start without one pays nothing.
#include <windows.h>

// From now on `window` answers a client's request for its accessible object
// with the system's object for it, named `name` (null keeps the system's name).
void SetAccessibleName(HWND window, const wchar_t* name);

// `window`'s text changes are read as those of a polite live region, where the
// system has live regions: the annotation is made when a client first asks.
void MarkLiveRegion(HWND window);

// The description a client reads for `window` (null or empty for none); a
// change is announced to the clients listening.
void SetAccessibleDescription(HWND window, const char* description);

// The program has put a new text into `box`: the clients listening hear of it,
// as a change of its value and, where the system knows them, of a live region.
void AnnounceNewText(HWND box);
