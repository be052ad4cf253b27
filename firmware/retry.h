#pragma once

// Std
#include <cerrno>

// Makes a system call again while a signal interrupts it (EINTR): FUSE and NFS pass an
// interrupted request on as EINTR, from calls that a local disk never interrupts. `call` returns
// a negative value on failure, with errno set. Not for close(), which must not be repeated.
template <typename Call>
auto RetryInterrupted(Call call)
{
    for (;;) {
        const auto r = call();
        if (!(r < 0 && errno == EINTR))
            return r;
    }
}
