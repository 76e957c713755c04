// Unix domain sockets, non-blocking throughout.
#include "platform/socket.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

std::string platformRuntimeFolder(const std::string& fallback)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && runtime[0] == '/' ? runtime : fallback;
}

static int addressOf(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return 0;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return 1;
}

static int newSocket()
{
    return socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// A socket file nobody listens on any more: connecting to it is refused at once.
static int answered(const sockaddr_un& address)
{
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return 0;
    int connected = connect(probe, (const sockaddr*)&address, sizeof address) == 0;
    close(probe);
    return connected;
}

static int clearPath(const std::string& path, const sockaddr_un& address, std::string& why)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return 1;
    if (!S_ISSOCK(info.st_mode)) return why = "the path exists and is not a socket", 0;
    if (answered(address)) return why = "another program answers on it", 0;
    if (unlink(path.c_str()) != 0) return why = std::strerror(errno), 0;
    return 1;
}

int platformListenLocal(const std::string& path, std::string& why)
{
    sockaddr_un address;
    if (!addressOf(path, address)) return why = "the path is too long for a socket", -1;
    if (!clearPath(path, address, why)) return -1;
    int listener = newSocket();
    if (listener < 0) return why = std::strerror(errno), -1;
    // Created owner-only, so that no other user can connect between the bind and a chmod.
    mode_t before = umask(0177);
    int bound = bind(listener, (const sockaddr*)&address, sizeof address) == 0;
    umask(before);
    if (!bound || listen(listener, 16) != 0)
    {
        why = std::strerror(errno);
        close(listener);
        return -1;
    }
    return listener;
}

int platformConnectLocal(const std::string& path, std::string& why)
{
    sockaddr_un address;
    if (!addressOf(path, address)) return why = "the path is too long for a socket", -1;
    // Connected while blocking, which for a local socket is at once, then read and written as
    // every other handle here is: never waiting.
    int handle = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (handle < 0) return why = std::strerror(errno), -1;
    if (connect(handle, (const sockaddr*)&address, sizeof address) != 0 ||
        fcntl(handle, F_SETFL, fcntl(handle, F_GETFL) | O_NONBLOCK) != 0)
    {
        why = errno == ENOENT || errno == ECONNREFUSED ? "the front end is not listening"
                                                       : std::strerror(errno);
        close(handle);
        return -1;
    }
    return handle;
}

int platformWaitLocal(int handle, int milliseconds)
{
    pollfd waited = {handle, POLLIN, 0};
    int ready;
    while ((ready = poll(&waited, 1, milliseconds)) < 0 && errno == EINTR)
    {
    }
    return ready < 0 ? -1 : ready;
}

int platformAcceptLocal(int listener)
{
    if (listener < 0) return -1;
    return accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

int platformReadLocal(int client, std::string& into, size_t limit)
{
    // Read into a block of our own: growing the client's text first would clear the room on
    // every look, also when nothing came.
    if (limit == 0) return 0;
    static std::vector<char> block;
    block.resize(std::max(block.size(), limit));
    ssize_t got;
    do got = recv(client, block.data(), limit, 0);
    while (got < 0 && errno == EINTR);
    if (got > 0) into.append(block.data(), (size_t)got);
    if (got > 0) return 1;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    return -1;
}

long platformWriteLocal(int client, const std::string& bytes)
{
    if (bytes.empty()) return 0;
    ssize_t sent;
    do sent = send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent >= 0) return (long)sent;
    return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
}

void platformCloseLocal(int handle)
{
    if (handle >= 0) close(handle);
}

void platformStopListening(int listener, const std::string& path)
{
    if (listener < 0) return;
    close(listener);
    unlink(path.c_str());
}
