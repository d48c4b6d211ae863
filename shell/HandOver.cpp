#include "shell/HandOver.h"

#include <dbus/dbus.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "shell/Arguments.h"

namespace moorvane {

namespace {

// A private connection: closed, then released.
struct ConnectionRelease {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
struct MessageRelease {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionRelease>;
using Message = std::unique_ptr<DBusMessage, MessageRelease>;

class Error {
  public:
    Error() { dbus_error_init(&error_); }
    ~Error() { dbus_error_free(&error_); }
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    DBusError* get() { return &error_; }
    bool is(const char* name) const { return dbus_error_has_name(&error_, name); }
    const char* message() const { return error_.message ? error_.message : "no reason given"; }

  private:
    DBusError error_;
};

bool appendStrings(DBusMessage* message, const std::vector<std::string>& strings) {
    DBusMessageIter iterator;
    DBusMessageIter array;
    dbus_message_iter_init_append(message, &iterator);
    if (!dbus_message_iter_open_container(&iterator, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING, &array))
        return false;
    for (const std::string& string : strings) {
        const char* text = string.c_str();
        if (!dbus_message_iter_append_basic(&array, DBUS_TYPE_STRING, &text)) {
            dbus_message_iter_abandon_container(&iterator, &array);
            return false;
        }
    }
    return dbus_message_iter_close_container(&iterator, &array);
}

// One call of com.moorvane.app.Instance: `method` with `strings` as its one argument, or with none when
// `strings` is nothing. The exit status as handOverToRunningInstance gives it.
std::optional<int> callInstance(DBusConnection* connection, const char* method,
                                const std::vector<std::string>* strings) {
    Error error;
    const Message call(
        dbus_message_new_method_call(busName, instancePath, "com.moorvane.app.Instance", method));
    if (!call || (strings && !appendStrings(call.get(), *strings))) return std::nullopt;
    // Straight to the instance, without asking the bus first whether one runs: one round trip fewer. Not
    // started by the bus either: with no instance, this process is the one to start.
    dbus_message_set_auto_start(call.get(), FALSE);
    const Message reply(
        dbus_connection_send_with_reply_and_block(connection, call.get(), 10000, error.get()));
    if (reply) return 0;
    if (error.is(DBUS_ERROR_SERVICE_UNKNOWN) || error.is(DBUS_ERROR_NAME_HAS_NO_OWNER)) return std::nullopt;
    std::fprintf(stderr, "moorvane: the running instance did not answer: %s\n", error.message());
    return 1;
}

}  // namespace

std::optional<int> handOverToRunningInstance(const std::vector<std::string>& arguments, bool showPopover) {
    const std::vector<std::string> handed = withAbsolutePaths(arguments);
    for (const std::string& argument : handed) {
        // libdbus ends the process on a string that is not UTF-8 rather than refusing it, and neither the
        // running instance nor a new one could read the argument: said here rather than blamed on the
        // instance.
        if (!dbus_validate_utf8(argument.c_str(), nullptr) ||
            std::strlen(argument.c_str()) != argument.size()) {
            std::fprintf(stderr, "moorvane: an argument is not UTF-8 text; URLs and file paths must be\n");
            return 1;
        }
    }
    Error error;
    const Connection connection(dbus_bus_get_private(DBUS_BUS_SESSION, error.get()));
    if (!connection) return std::nullopt;
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
    if (!handed.empty()) {
        const std::optional<int> opened = callInstance(connection.get(), "Open", &handed);
        if (opened != 0) return opened;
    }
    // Started again with nothing to open, as the desktop's menu and dock start an app: the person wants to
    // see it, and the popover is all of it there is.
    if (showPopover || handed.empty()) return callInstance(connection.get(), "ShowPopover", nullptr);
    return 0;
}

}  // namespace moorvane
