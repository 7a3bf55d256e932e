// Ports: where the bytes of a job go. A printer's port name says which:
//   file:PATH           a file (native path, or a path of the Windows namespace),
//                       created when the job starts
//   -                   the standard output of the process
//   socket://HOST:PORT  a raw TCP connection as network printers take it on port
//                       9100 (the default when no port is given), opened at the
//                       first write and closed at the end of the job
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace platform::spool {

enum class PortKind { kFile, kStandardOutput, kSocket };

struct PortAddress {
  PortKind kind = PortKind::kFile;
  std::string path;  // kFile: the native path
  std::string host;  // kSocket: name or address (without brackets)
  std::string service;
  bool namespacePath = false;  // kFile: the path was given in the Windows namespace
};

// Parses a port name; `why` says what is wrong with a bad one.
[[nodiscard]] bool ParsePortName(std::u16string_view name, PortAddress* address, std::string* why);

// What a port failure leaves: the platform error code and a line for the user.
struct PortFailure {
  DWORD error = 0;
  std::string text;
};

// One job's connection to its port.
class PortSink {
 public:
  virtual ~PortSink() = default;
  // Sends all `size` bytes; false with `failure` set when they did not all go out
  // (the count that did is in *sent).
  [[nodiscard]] virtual bool Write(const unsigned char* bytes, std::size_t size, std::size_t* sent,
                                   PortFailure* failure) = 0;
  // The end of the job: everything written reaches the port, then it closes.
  [[nodiscard]] virtual bool Finish(PortFailure* failure) = 0;
  // The job is dropped: close without waiting.
  virtual void Abort() = 0;
};

// Opens the port for a new job (a file is created now, a socket connects at the
// first write); null with `failure` set when it cannot.
std::unique_ptr<PortSink> OpenPort(const PortAddress& address, PortFailure* failure);

// Socket timeouts in milliseconds (tests shorten them).
DWORD SocketConnectTimeout();
DWORD SocketWriteTimeout();

}  // namespace platform::spool
