#pragma once

#include <cerrno>
#include <string_view>

#include "base/FileSystem.h"

namespace moorvane::testing {

// Makes one system call of the file helpers fail, as a full disk or a failing device would, for as long as
// it lives. One at a time, on the test's own thread.
class FailingCall {
  public:
    enum class Call { write, fsync, rename, read };

    FailingCall(Call call, int error) : override_(table(call)) { failWith() = error; }

    // The call's name as the helpers' messages word the step that failed.
    static std::string_view step(Call call) {
        switch (call) {
            case Call::write:
                return "cannot write";
            case Call::fsync:
                return "cannot flush";
            case Call::rename:
                return "cannot replace";
            case Call::read:
                return "cannot read";
        }
        return {};
    }

  private:
    static int& failWith() {
        static int error = 0;
        return error;
    }
    static FileSystem table(Call call) {
        FileSystem calls = FileSystem::system();
        switch (call) {
            case Call::write:
                calls.write = [](int, const void*, size_t) -> ssize_t { return errno = failWith(), -1; };
                break;
            case Call::fsync:
                calls.fsync = [](int) { return errno = failWith(), -1; };
                break;
            case Call::rename:
                calls.rename = [](const char*, const char*) { return errno = failWith(), -1; };
                break;
            case Call::read:
                calls.read = [](int, void*, size_t) -> ssize_t { return errno = failWith(), -1; };
                break;
        }
        return calls;
    }

    FileSystemOverride override_;
};

// The durable write's failures worth telling apart: the disk fills up, the flush reports a device error, the
// rename is refused.
struct FailedStep {
    const char* name;
    FailingCall::Call call;
    int error;
};
inline constexpr FailedStep durableWriteFailures[] = {
    {"DiskFull", FailingCall::Call::write, ENOSPC},
    {"FlushFails", FailingCall::Call::fsync, EIO},
    {"RenameRefused", FailingCall::Call::rename, EROFS},
};

}  // namespace moorvane::testing
