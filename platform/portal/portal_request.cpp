// Implements: the session bus connection and one portal request (portal_request.h): the
// handle token and the request path it predicts, the Response subscription made before the
// call, a method timeout, the end of the wait when the portal leaves the bus, Close when
// WM_QUIT ends the wait, and the thread's messages dispatched in between.
// Does not implement: portals older than the handle_token option (before 0.9), whose
// request paths cannot be predicted, beyond following the path their reply names.
#include "portal/portal_request.h"

#include <windows.h>

#include <cstdio>
#include <random>
#include <utility>

namespace plk::portal {
namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
// Host events have no descriptor to wait on here, so waits on the bus are this short.
constexpr std::uint64_t kPumpIntervalMicroseconds = 10000;

std::string NewToken() {
  std::random_device random;
  char token[32];
  std::snprintf(token, sizeof token, "plinkaro%08x", static_cast<unsigned>(random()));
  return token;
}

// The path the portal gives the request of `token` asked by connection `unique` (":1.42").
std::string RequestPath(const char* unique, const std::string& token) {
  std::string sender = unique && *unique == ':' ? unique + 1 : (unique ? unique : "");
  for (char& c : sender) {
    if (c == '.') c = '_';
  }
  return std::string(kPortalPath) + "/request/" + sender + "/" + token;
}

// False when WM_QUIT came (posted again for the loop that waits for it).
bool DispatchThreadMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

}  // namespace

Bus OpenSessionBus() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return nullptr;
  return Bus(bus);
}

PortalRequest::PortalRequest(sd_bus* bus) : bus_(bus), token_(NewToken()) {
  const char* unique = nullptr;
  if (sd_bus_get_unique_name(bus_, &unique) < 0) return;
  path_ = RequestPath(unique, token_);
  sd_bus_match_signal_async(bus_, &responseSlot_, nullptr, path_.c_str(), kRequestInterface,
                            "Response", OnResponse, nullptr, this);
  const std::string owner = std::string("type='signal',sender='org.freedesktop.DBus',") +
                            "member='NameOwnerChanged',arg0='" + kPortalName + "'";
  sd_bus_add_match_async(bus_, &ownerSlot_, owner.c_str(), OnOwnerChanged, nullptr, this);
}

PortalRequest::~PortalRequest() {
  sd_bus_slot_unref(replySlot_);
  sd_bus_slot_unref(ownerSlot_);
  sd_bus_slot_unref(responseSlot_);
}

Message PortalRequest::NewCall(const char* interface, const char* method) {
  sd_bus_message* call = nullptr;
  sd_bus_message_new_method_call(bus_, &call, kPortalName, kPortalPath, interface, method);
  return Message(call);
}

Outcome PortalRequest::Call(Message call) { return Send(std::move(call), false); }

Outcome PortalRequest::CallForResponse(Message call,
                                       std::function<void(sd_bus_message*)> readResults) {
  readResults_ = std::move(readResults);
  return Send(std::move(call), true);
}

Outcome PortalRequest::Send(Message call, bool untilResponse) {
  if (!call || path_.empty()) return Outcome::Failed;
  untilResponse_ = untilResponse;
  const auto timeout = std::chrono::microseconds(kMethodTimeout).count();
  if (sd_bus_call_async(bus_, &replySlot_, call.get(), OnReply, this,
                        static_cast<std::uint64_t>(timeout)) < 0) {
    return Outcome::Failed;
  }
  return Wait();
}

Outcome PortalRequest::Wait() {
  while (!finished_) {
    int processed = 0;
    do {
      processed = sd_bus_process(bus_, nullptr);
    } while (processed > 0 && !finished_);
    if (processed < 0) return Outcome::Failed;  // the connection is gone
    if (finished_) break;
    if (!DispatchThreadMessages()) {
      CloseDialog();
      return Outcome::Quit;
    }
    sd_bus_wait(bus_, kPumpIntervalMicroseconds);
  }
  return outcome_;
}

void PortalRequest::Finish(Outcome outcome) {
  outcome_ = outcome;
  finished_ = true;
}

void PortalRequest::CloseDialog() {
  if (!replied_) return;
  sd_bus_call_method_async(bus_, nullptr, kPortalName, path_.c_str(), kRequestInterface, "Close",
                           nullptr, nullptr, "");
  sd_bus_flush(bus_);
}

int PortalRequest::OnReply(sd_bus_message* reply, void* self, sd_bus_error*) {
  auto& request = *static_cast<PortalRequest*>(self);
  if (sd_bus_message_is_method_error(reply, nullptr)) {
    request.Finish(Outcome::Failed);
    return 0;
  }
  request.replied_ = true;
  const char* handle = nullptr;
  if (sd_bus_message_read(reply, "o", &handle) >= 0 && handle && request.path_ != handle) {
    request.path_ = handle;
    sd_bus_slot_unref(request.responseSlot_);
    sd_bus_match_signal_async(request.bus_, &request.responseSlot_, nullptr, handle,
                              kRequestInterface, "Response", OnResponse, nullptr, self);
  }
  if (!request.untilResponse_) request.Finish(Outcome::Answered);
  return 0;
}

int PortalRequest::OnResponse(sd_bus_message* signal, void* self, sd_bus_error*) {
  auto& request = *static_cast<PortalRequest*>(self);
  std::uint32_t code = 2;
  if (sd_bus_message_read(signal, "u", &code) < 0) code = 2;
  if (code == 0 && request.readResults_) request.readResults_(signal);
  request.Finish(code == 0 ? Outcome::Answered : code == 1 ? Outcome::Cancelled : Outcome::Failed);
  return 0;
}

int PortalRequest::OnOwnerChanged(sd_bus_message* signal, void* self, sd_bus_error*) {
  const char *name = nullptr, *before = nullptr, *after = nullptr;
  if (sd_bus_message_read(signal, "sss", &name, &before, &after) >= 0 && after && !*after) {
    static_cast<PortalRequest*>(self)->Finish(Outcome::Failed);
  }
  return 0;
}

}  // namespace plk::portal
