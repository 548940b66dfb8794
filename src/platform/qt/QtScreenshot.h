// A picture of the running window for the documentation: when TAMIRO_SCREENSHOT names a PNG
// file, the program grabs its main window to it a second after start and ends. With
// TAMIRO_SCREENSHOT_UNFOLD=1 the window is unfolded first, and TAMIRO_SCREENSHOT_PAGE=n shows
// page n (from 0) of the page control, chosen as the user would click its tab.
#pragma once

#include <functional>

class QtBackend;
class TForm;

// Arms the grab when the environment asks for one; returns whether it did.
bool ScheduleScreenshot(QtBackend& backend, TForm& form, std::function<void()> unfold);
