#pragma once

#include <gio/gio.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace moorvane::plank::testing {

// Plank's "net.launchpad.plank.Items" on a bus of the test's own, served from a thread of its own as a
// separate Plank process would serve it. Tiles come and go as Plank's do: Add appends and writes the tile's
// file, Remove takes it away and deletes an app's file. One call can be made to fail with an error, or to
// find Plank gone (its connection closed, the call unanswered).
class FakePlank {
  public:
    FakePlank(std::string busAddress, std::string dockName, std::string launchersFolder,
              std::vector<std::string> tiles);
    ~FakePlank();
    FakePlank(const FakePlank&) = delete;
    FakePlank& operator=(const FakePlank&) = delete;

    std::vector<std::string> tiles() const;
    // `call` is "Add <launcher>" or "Remove <launcher>".
    void failAt(std::string call);
    void vanishAt(std::string call);

  private:
    void serve(std::string busAddress);
    static void methodCall(GDBusConnection* connection, const gchar* sender, const gchar* path,
                           const gchar* interface, const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
    void answer(GDBusConnection* connection, const std::string& method, GVariant* parameters,
                GDBusMethodInvocation* invocation);

    std::string dockName_;
    std::string launchersFolder_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    bool serving_ = false;
    std::vector<std::string> tiles_;
    std::string failAt_;
    std::string vanishAt_;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::thread thread_;
};

}  // namespace moorvane::plank::testing
