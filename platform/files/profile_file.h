// Inside the profile functions: an INI file as a list of lines in the file's own
// encoding, read whole and replaced whole. Lines that a change does not touch
// keep their bytes, so comments, blank lines, order and odd bytes survive a
// write; lines that a change makes are written with CRLF.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"

namespace platform::profile {

enum class Encoding { kUtf16Le, kUtf16Be, kUtf8, kAnsi };

struct Line {
  std::u16string text;  // without its line end
  std::string raw;      // the bytes as read, with the line end; empty: written from `text`
  bool terminated = true;
};

struct Document {
  Encoding encoding = Encoding::kUtf16Le;
  std::string prefix;  // the byte-order mark, as found (UTF-16LE's for a new file)
  std::vector<Line> lines;
  std::string tail;  // an odd last byte of a UTF-16 file
};

// What a line holds. Blanks around names and values are not part of them.
enum class LineKind { kBlank, kComment, kSection, kEntry, kBare };
struct ParsedLine {
  LineKind kind = LineKind::kBlank;
  std::u16string_view name;   // section name, key, or the whole bare line
  std::u16string_view value;  // after "=" of an entry
};
ParsedLine ParseLine(std::u16string_view line);
std::u16string_view TrimBlanks(std::u16string_view text);

// The encoding is found from a byte-order mark, else from the bytes being valid
// UTF-8, else the file is in the ANSI code page.
Document Decode(const std::vector<unsigned char>& bytes);
std::string Encode(const Document& document);
// A file we create: UTF-16LE with its mark.
Document NewDocument();

// Replaces a line's text (it is then written in the file's encoding with CRLF).
void SetLineText(Line& line, std::u16string text);
// Appends a line, giving the last line its line end first when it had none.
void AppendLine(Document& document, std::u16string text);
void InsertLine(Document& document, std::size_t index, std::u16string text);

enum class LoadResult { kLoaded, kMissing, kFailed };
// Reads and decodes the file; kMissing when there is none, kFailed (last error
// set) when it cannot be read or is larger than kMaxProfileBytes.
constexpr std::size_t kMaxProfileBytes = std::size_t{64} << 20;
LoadResult Load(const std::string& native, Document& document);

// Changes the file as one step for every thread and process: under an exclusive
// lock on a lock file beside it (".<name>.lock"), reads the current document
// (a new one when the file is missing; `existed` tells), runs `edit`, and when
// `edit` returns true writes the result to a temporary file beside and renames
// it over the file, so a reader sees the old or the new file and never a part.
// False with the last error set when the file cannot be read or written.
bool Update(const std::string& native,
            const std::function<bool(Document& document, bool existed)>& edit);

}  // namespace platform::profile
