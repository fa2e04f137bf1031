// Implements: Xft.dpi from the resource string of the X server's first root window (what
// the desktop or xrdb put there), over a short XCB connection of its own: an Xlib
// connection would set up locales and extensions first, several times as long.
// Does not implement: per-screen resources, watching for changes, other resources.
#include "user32/host/sdl/x11_resources.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace plk::user32 {
namespace {

struct Disconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};

// The server's RESOURCE_MANAGER property, as Xlib's XResourceManagerString gives it.
std::optional<std::string> ReadResourceString() {
  // Made even when the server cannot be reached, and disconnected then too.
  const std::unique_ptr<xcb_connection_t, Disconnect> connection(xcb_connect(nullptr, nullptr));
  if (xcb_connection_has_error(connection.get())) return std::nullopt;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
  if (!screen) return std::nullopt;
  const auto cookie = xcb_get_property(connection.get(), 0, screen->root, XCB_ATOM_RESOURCE_MANAGER,
                                       XCB_ATOM_STRING, 0, 1u << 24);
  const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(
      xcb_get_property_reply(connection.get(), cookie, nullptr));
  if (!reply || reply->format != 8) return std::nullopt;
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace

std::optional<std::string> ReadXftDpi() {
  const std::optional<std::string> resources = ReadResourceString();
  if (!resources) return std::nullopt;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources->c_str());
  if (!database) return std::nullopt;
  std::optional<std::string> dpi;
  char* type = nullptr;
  XrmValue value{};
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    dpi = std::string(value.addr);
  }
  XrmDestroyDatabase(database);
  return dpi;
}

}  // namespace plk::user32
