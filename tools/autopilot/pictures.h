// The pictures of docs/: each window as it is on the screen, written as a
// PPM file (tools/pictures/ppm-to-png.py makes the PNG files from them).
#ifndef AUTOPILOT_PICTURES_H
#define AUTOPILOT_PICTURES_H

#include <windows.h>

#include <string>

extern std::string PictureDir;  // empty: no pictures

// Takes a picture of the window into PictureDir\NAME.ppm, once it has
// stopped changing; none when it never does.
void TakePicture(HWND window, const char* name);

// The Browse dialog of the Directory page: opened, pictured, cancelled.
void PictureBrowseDialog(HWND page);

// Holds the installation's QXMAIN.EXE open in the destination, so that
// replacing it fails and the setup asks about it while the install page
// shows the file: the moment for the install page's picture.
void HoldFileOfInstallation(const std::string& directory);

// When the box is the one that the held file caused: the box is moved
// aside, the page pictured, the file let go; true then (answer Retry).
bool PictureInstallPage(HWND box);

#endif
