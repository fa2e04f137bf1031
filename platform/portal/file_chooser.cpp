// Implements: FileChooser.OpenFile for one file or, in directory mode, one folder: modal to
// the owner's top-level window (named to the portal as "x11:XID", disabled while the
// dialog is up), a title, glob filters that ignore case as Windows' do, the current filter
// both ways, and the start folder; the answer's first URI as a local path.
// The start folder goes as "current_folder", which the portal of Debian 12 (1.16) ignores
// for OpenFile (it honours it only for SaveFile); later portals show it.
// Does not implement: several files, SaveFile, choices, MIME type filters.
#include "portal/file_chooser.h"

#include "user32/desktop_dialogs.h"

#include <cctype>
#include <cstring>

namespace plk::portal {
namespace {

constexpr const char* kFileChooser = "org.freedesktop.portal.FileChooser";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = c | 0x20;
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

void AppendFilter(sd_bus_message* call, const FileFilter& filter) {
  sd_bus_message_open_container(call, 'r', "sa(us)");
  sd_bus_message_append(call, "s", filter.name.c_str());
  sd_bus_message_open_container(call, 'a', "(us)");
  for (const std::string& pattern : filter.patterns) {
    sd_bus_message_append(call, "(us)", 0u, PortalGlob(pattern).c_str());
  }
  sd_bus_message_close_container(call);
  sd_bus_message_close_container(call);
}

void AppendOptions(sd_bus_message* call, const FileChoice& choice, const std::string& token) {
  sd_bus_message_open_container(call, 'a', "{sv}");
  sd_bus_message_append(call, "{sv}", "handle_token", "s", token.c_str());
  sd_bus_message_append(call, "{sv}", "modal", "b", 1);
  sd_bus_message_append(call, "{sv}", "multiple", "b", 0);
  if (choice.folder) sd_bus_message_append(call, "{sv}", "directory", "b", 1);
  if (!choice.filters.empty()) {
    sd_bus_message_open_container(call, 'e', "sv");
    sd_bus_message_append(call, "s", "filters");
    sd_bus_message_open_container(call, 'v', "a(sa(us))");
    sd_bus_message_open_container(call, 'a', "(sa(us))");
    for (const FileFilter& filter : choice.filters) AppendFilter(call, filter);
    sd_bus_message_close_container(call);
    sd_bus_message_close_container(call);
    sd_bus_message_close_container(call);
  }
  if (choice.currentFilter >= 0 && choice.currentFilter < static_cast<int>(choice.filters.size())) {
    sd_bus_message_open_container(call, 'e', "sv");
    sd_bus_message_append(call, "s", "current_filter");
    sd_bus_message_open_container(call, 'v', "(sa(us))");
    AppendFilter(call, choice.filters[static_cast<std::size_t>(choice.currentFilter)]);
    sd_bus_message_close_container(call);
    sd_bus_message_close_container(call);
  }
  if (!choice.startFolder.empty()) {
    sd_bus_message_open_container(call, 'e', "sv");
    sd_bus_message_append(call, "s", "current_folder");
    sd_bus_message_open_container(call, 'v', "ay");
    // A byte string with its terminator, as the portal expects paths.
    sd_bus_message_append_array(call, 'y', choice.startFolder.c_str(),
                                choice.startFolder.size() + 1);
    sd_bus_message_close_container(call);
    sd_bus_message_close_container(call);
  }
  sd_bus_message_close_container(call);
}

// The name of the filter in a "current_filter" value (the reader is inside the variant).
std::string FilterName(sd_bus_message* results) {
  const char* name = nullptr;
  if (sd_bus_message_enter_container(results, 'r', "sa(us)") < 0) return {};
  sd_bus_message_read(results, "s", &name);
  std::string found = name ? name : "";
  sd_bus_message_skip(results, "a(us)");
  sd_bus_message_exit_container(results);
  return found;
}

void ReadResults(sd_bus_message* results, const FileChoice& choice, ChosenFile& chosen) {
  if (sd_bus_message_enter_container(results, 'a', "{sv}") <= 0) return;
  while (sd_bus_message_enter_container(results, 'e', "sv") > 0) {
    const char* key = nullptr;
    sd_bus_message_read(results, "s", &key);
    if (key && std::strcmp(key, "uris") == 0 &&
        sd_bus_message_enter_container(results, 'v', "as") > 0) {
      char** uris = nullptr;
      if (sd_bus_message_read_strv(results, &uris) >= 0 && uris) {
        if (uris[0]) chosen.path = PathOfFileUri(uris[0]);
        for (char** uri = uris; *uri; ++uri) std::free(*uri);
        std::free(uris);
      }
      sd_bus_message_exit_container(results);
    } else if (key && std::strcmp(key, "current_filter") == 0 &&
               sd_bus_message_enter_container(results, 'v', "(sa(us))") > 0) {
      const std::string name = FilterName(results);
      for (std::size_t i = 0; i < choice.filters.size(); ++i) {
        if (choice.filters[i].name == name) chosen.filter = static_cast<int>(i);
      }
      sd_bus_message_exit_container(results);
    } else {
      sd_bus_message_skip(results, "v");
    }
    sd_bus_message_exit_container(results);
  }
  sd_bus_message_exit_container(results);
}

}  // namespace

std::string PathOfFileUri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.substr(0, kScheme.size()) != kScheme) return {};
  uri.remove_prefix(kScheme.size());
  const auto slash = uri.find('/');
  const std::string_view host = uri.substr(0, slash);
  if (slash == std::string_view::npos || (!host.empty() && host != "localhost")) return {};
  uri.remove_prefix(slash);
  std::string path;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    const int high = i + 2 < uri.size() ? HexDigit(uri[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(uri[i + 2]) : -1;
    if (low < 0 || (high == 0 && low == 0)) return {};  // malformed, or a null in a path
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return path;
}

std::string PortalGlob(std::string_view pattern) {
  if (pattern == "*.*") return "*";  // Windows' "every file", names without a dot too
  std::string glob;
  for (const char c : pattern) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalpha(byte) && byte < 0x80) {
      glob += '[';
      glob += static_cast<char>(std::tolower(byte));
      glob += static_cast<char>(std::toupper(byte));
      glob += ']';
    } else {
      glob += c;
    }
  }
  return glob;
}

ChosenFile ChooseFile(const FileChoice& choice) {
  ChosenFile chosen;
  const Bus bus = OpenSessionBus();
  if (!bus) return chosen;
  PortalRequest request(bus.get());
  Message call = request.NewCall(kFileChooser, "OpenFile");
  if (!call) return chosen;
  sd_bus_message_append(call.get(), "ss", plk::user32::DesktopNameOf(choice.owner).c_str(),
                        choice.title.c_str());
  AppendOptions(call.get(), choice, request.Token());
  const HWND top = plk::user32::TopLevelWindowOf(choice.owner);
  const bool disabledOwner = top && !EnableWindow(top, FALSE);
  chosen.outcome = request.CallForResponse(
      std::move(call), [&](sd_bus_message* results) { ReadResults(results, choice, chosen); });
  if (disabledOwner) EnableWindow(top, TRUE);
  return chosen;
}

}  // namespace plk::portal
