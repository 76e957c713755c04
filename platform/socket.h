// A local stream socket that programs of the same user talk to the front end through: one
// listening socket and the clients it accepted, none of which is ever waited for.
#pragma once

#include <string>

// The folder for the socket: $XDG_RUNTIME_DIR when it is set to an absolute path, else
// fallback.
std::string platformRuntimeFolder(const std::string& fallback);
// Listens at path, readable and writable by the owner only; the listening handle, or -1 with
// why in a few words. A socket file no program answers on (left by a run that was killed) is
// replaced; one a program answers on, or a path that is not a socket, is left as it is.
int platformListenLocal(const std::string& path, std::string& why);
// The connecting side: a handle to the program listening at path, or -1 with why in a few
// words.
int platformConnectLocal(const std::string& path, std::string& why);
// Waits at most milliseconds for something to read on handle (or for its end): 1 when there
// is, 0 when the time ran out, -1 on a failure.
int platformWaitLocal(int handle, int milliseconds);
// The next client waiting on listener, or -1 when none is.
int platformAcceptLocal(int listener);
// Appends what the client has sent to into, at most limit bytes; 1 when something came, 0
// when nothing is waiting, -1 when the client went away or failed.
int platformReadLocal(int client, std::string& into, size_t limit);
// Writes what fits without waiting; the bytes written, or -1 when the client went away.
long platformWriteLocal(int client, const std::string& bytes);
void platformCloseLocal(int handle);
// Closes listener and removes its file.
void platformStopListening(int listener, const std::string& path);
