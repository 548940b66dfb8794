// The frame estimate of the X11 desktop (the window manager's _NET_REQUEST_FRAME_EXTENTS),
// taken for a stand-in window of the same kind that is never shown.
#include "platform/qt/QtFrame.h"

#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  XcbReply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr), &std::free);
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The 32-bit values of a window's property (empty when it is missing).
std::vector<uint32_t> Property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
  XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr), &std::free);
  if (!reply || reply->format != 32) return {};
  auto* values = static_cast<uint32_t*>(xcb_get_property_value(reply.get()));
  return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

}  // namespace

std::optional<int> DesktopFrameWidth(Qt::WindowFlags flags) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return std::nullopt;
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

  if (Property(c, root, Atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty()) return 0;  // nothing frames
  xcb_atom_t request = Atom(c, "_NET_REQUEST_FRAME_EXTENTS");
  std::vector<uint32_t> supported = Property(c, root, Atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
  if (std::find(supported.begin(), supported.end(), request) == supported.end()) return std::nullopt;

  QWidget standIn(nullptr, flags);
  auto window = static_cast<xcb_window_t>(standIn.winId());
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = request;
  xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c);

  // The answer is a property on the stand-in; a window manager answers at once.
  xcb_atom_t extents = Atom(c, "_NET_FRAME_EXTENTS");
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 1000) {
    std::vector<uint32_t> ltrb = Property(c, window, extents, XCB_ATOM_CARDINAL);
    if (ltrb.size() >= 4) return static_cast<int>(ltrb[0] + ltrb[1]);
    QThread::msleep(5);
  }
  return std::nullopt;
}
