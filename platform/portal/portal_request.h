// One call of an XDG desktop portal over the session bus, answered through a Request
// object: the Response signal is subscribed to on the path that the handle token
// predicts before the call goes out, so an answer cannot come before the subscription.
// While it waits, the calling thread's window messages go on being dispatched, as in a
// modal loop, so its timers fire and its windows paint.
#pragma once

#include <systemd/sd-bus.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace plk::portal {

// A method call that does not return within this fails: a portal whose backend is missing
// would otherwise hold the caller for the bus's default 25 s.
constexpr std::chrono::milliseconds kMethodTimeout{5000};

enum class Outcome {
  Answered,   // the Response came with code 0; its results are read
  Cancelled,  // the user closed the dialog (code 1)
  Failed,     // no portal, no answer in time, another error, or the portal went away
  Quit,       // WM_QUIT arrived while waiting (it is posted again)
};

struct BusDeleter {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, BusDeleter>;
struct MessageDeleter {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageDeleter>;

// The session bus of $DBUS_SESSION_BUS_ADDRESS; null without one.
Bus OpenSessionBus();

class PortalRequest {
 public:
  explicit PortalRequest(sd_bus* bus);
  PortalRequest(const PortalRequest&) = delete;
  PortalRequest& operator=(const PortalRequest&) = delete;
  ~PortalRequest();

  // The value of the "handle_token" option for the call.
  const std::string& Token() const { return token_; }
  // A method call on the portal object, for the caller to fill with its arguments.
  Message NewCall(const char* interface, const char* method);
  // Sends it and waits for the method's reply only.
  Outcome Call(Message call);
  // Sends it and waits for the Response; `readResults` reads its a{sv} when answered.
  Outcome CallForResponse(Message call, std::function<void(sd_bus_message*)> readResults);

 private:
  static int OnReply(sd_bus_message* reply, void* self, sd_bus_error* error);
  static int OnResponse(sd_bus_message* signal, void* self, sd_bus_error* error);
  static int OnOwnerChanged(sd_bus_message* signal, void* self, sd_bus_error* error);
  Outcome Send(Message call, bool untilResponse);
  Outcome Wait();
  void Finish(Outcome outcome);
  void CloseDialog();

  sd_bus* bus_;
  std::string token_;
  std::string path_;
  sd_bus_slot* responseSlot_ = nullptr;
  sd_bus_slot* ownerSlot_ = nullptr;
  sd_bus_slot* replySlot_ = nullptr;
  bool untilResponse_ = false;
  bool replied_ = false;
  bool finished_ = false;
  Outcome outcome_ = Outcome::Failed;
  std::function<void(sd_bus_message*)> readResults_;
};

}  // namespace plk::portal
