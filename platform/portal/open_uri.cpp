// Implements: OpenURI.OpenFile and OpenURI.OpenDirectory, given a descriptor of the file or
// folder (so the portal knows exactly what it opens), on behalf of the owner's window.
// Waits for the method's answer only: the application starts on its own time.
// Does not implement: URIs other than local paths, "writable", "ask".
#include "portal/open_uri.h"

#include "portal/portal_request.h"
#include "user32/desktop_dialogs.h"

#include <fcntl.h>
#include <unistd.h>

namespace plk::portal {

bool OpenWithDesktop(HWND owner, const std::string& path, bool folder) {
  const Bus bus = OpenSessionBus();
  if (!bus) return false;
  const int descriptor = open(path.c_str(), O_PATH | O_CLOEXEC);
  if (descriptor < 0) return false;
  PortalRequest request(bus.get());
  Message call =
      request.NewCall("org.freedesktop.portal.OpenURI", folder ? "OpenDirectory" : "OpenFile");
  bool opened = false;
  if (call && sd_bus_message_append(call.get(), "sh", user32::DesktopNameOf(owner).c_str(),
                                    descriptor) >= 0) {
    sd_bus_message_append(call.get(), "a{sv}", 1, "handle_token", "s", request.Token().c_str());
    opened = request.Call(std::move(call)) == Outcome::Answered;
  }
  close(descriptor);
  return opened;
}

}  // namespace plk::portal
