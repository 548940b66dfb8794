// What the desktop draws around a window: asked of the window manager before the window is
// shown, so the window can be placed by its outer frame in its first frame.
#pragma once

#include <optional>

#include <Qt>

// The left and right borders together that the window manager will draw round a window of
// these flags; 0 without a window manager; nothing when it cannot tell (another platform, a
// window manager that gives no estimate).
std::optional<int> DesktopFrameWidth(Qt::WindowFlags flags);
