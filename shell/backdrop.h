// The full-screen backdrop of the full installation, and the drawing
// services the pages share.
#ifndef SETUP_BACKDROP_H
#define SETUP_BACKDROP_H

#include <windows.h>

#include <cstdint>

// Creates the always-on-top backdrop over the whole screen (ScreenWidth x
// ScreenHeight) and lets it paint once, dissolving its pictures in. Sets
// BackdropWindow; 1 when the window exists, 0 when it was not created.
int CreateBackdrop();

// Window procedure of the class "SetupMain".
LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draws a bitmap resource at topLeft, leaving out its magenta (RGB(255, 0,
// 255)) pixels; with dissolve, in 64 passes spread evenly over the picture.
void DrawKeyedBitmap(HDC dc, uint16_t bitmapId, POINT topLeft, int dissolve);

// Whether a pixel of a bitmap, as the display gives it back, is the key
// colour magenta: exactly RGB(255, 0, 255) at 24 bits and at 256 colours
// (the system palette holds it), but at 15 and 16 bits red and blue keep 5
// bits, which a driver gives back as 248, or as 255 when it repeats the top
// bits. Green 0 stays 0 at every depth.
bool IsKeyColour(COLORREF colour);

// The client area of a page's control, in the page's client coordinates.
void GetControlRect(HWND page, uint16_t controlId, RECT* rect);

// The etched, filled frame over a control: brush selectors 100..106 are
// colours of their own, any other value is that stock object.
void DrawControlFrame(HWND page, HDC dc, uint16_t controlId, uint16_t brushSelector);

#endif
