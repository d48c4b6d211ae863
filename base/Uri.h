#pragma once

#include <uriparser/Uri.h>

#include <memory>

namespace moorvane {

// A uriparser parse result that frees its members (and itself) on every path out.
struct UriFree {
    void operator()(UriUriA* uri) const {
        uriFreeUriMembersA(uri);
        delete uri;
    }
};
using ParsedUri = std::unique_ptr<UriUriA, UriFree>;

}  // namespace moorvane
