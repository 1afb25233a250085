#pragma once

// xcb replies and checked requests, freed and read one way everywhere.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace pellimore {

struct XcbFree {
    void operator()(void *p) const { std::free(p); }
};

// A reply (or error) of xcb, freed when it goes out of scope.
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// True when a checked request failed.
inline bool XcbRequestFailed(xcb_connection_t *c, xcb_void_cookie_t cookie)
{
    const XcbReply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
    return error != nullptr;
}

}  // namespace pellimore
