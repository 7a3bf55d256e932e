// The output channel: every byte of the print stream leaves a device context
// through this 4,096-byte buffered writer. The sink is chosen once per device
// context (the spool filter's DrvSplWritePrinter when bound, else WritePrinter),
// and the first failed transfer makes every later write do nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "platform/base/types.h"

namespace render {

// Where transfers go: returns non-zero on success and the bytes taken in *written.
struct OutputSink {
  BOOL (*transfer)(void* context, const void* bytes, DWORD length, DWORD* written) = nullptr;
  void* context = nullptr;
};

constexpr DWORD kOutputCapacity = 4096;

struct OutputChannel {
  DWORD capacity = kOutputCapacity;
  DWORD fill = 0;
  bool failed = false;  // sticky for the device context's life
  // Set while an in-band block of the spool filter goes out; any other
  // transfer that would look like one of the filter's blocks is split.
  bool sendingBlock = false;
  OutputSink sink;
  unsigned char buffer[kOutputCapacity + 4] = {};
};

// Capacity 4096, nothing pending; what was buffered is discarded.
void ResetOutput(OutputChannel& out);
// Buffers or sends `length` bytes, keeping the stream order: the buffer is sent
// when the piece does not fit, and a piece over 2,048 bytes goes out directly
// after what is pending. FALSE when output has failed.
BOOL WriteBytes(OutputChannel& out, const void* bytes, std::size_t length);
// Sends what is pending. TRUE when nothing was pending, when output had already
// failed, or when the transfer succeeded.
BOOL FlushOutput(OutputChannel& out);
BOOL WriteText(OutputChannel& out, const char* text);

// One argument of the format language: a 32-bit number, a character or a text.
struct FormatArg {
  enum class Kind : std::uint8_t { kNumber, kText };
  Kind kind;
  std::uint32_t number;
  const char* text;
  FormatArg(std::int32_t v)
      : kind(Kind::kNumber), number(static_cast<std::uint32_t>(v)), text(nullptr) {}
  FormatArg(std::uint32_t v) : kind(Kind::kNumber), number(v), text(nullptr) {}
  FormatArg(char c) : kind(Kind::kNumber), number(static_cast<unsigned char>(c)), text(nullptr) {}
  FormatArg(const char* s) : kind(Kind::kText), number(0), text(s) {}
};

// The library's format language: "%d"/"%l" signed, "%u" unsigned, "%x"/"%X"
// upper-case hexadecimal with at least two digits, "%c" a character, "%s" an
// 8-bit text, "%b" true/false, "%f" a 24.8 fixed-point value with up to three
// decimals; "%" and any other character gives that character, a lone "%" at the
// end nothing. Returns the formatted length (0 for an empty text, then nothing is
// written), or -1 when the write failed. A text of any length reaches the stream
// whole.
int WriteFormatted(OutputChannel& out, const char* format,
                   std::initializer_list<FormatArg> args = {});
// Formats into `text` (appending) with the same language; the result is the
// number of bytes appended.
std::size_t FormatInto(char* text, std::size_t capacity, const char* format,
                       std::initializer_list<FormatArg> args);
// Numbers separated by one blank, written with "%l" (or "%f" for 24.8 values).
BOOL WriteNumberList(OutputChannel& out, std::size_t count, const std::int32_t* values);
BOOL WriteFixedList(OutputChannel& out, std::size_t count, const std::int32_t* values);
// Each byte as two upper-case hexadecimal digits, a "\n" after every 128 digits
// when more bytes follow.
BOOL WriteHex(OutputChannel& out, std::size_t length, const void* bytes);

}  // namespace render
