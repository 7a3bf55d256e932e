// PJL line parsing.
#include "tools/preview/pjl.h"

#include <cctype>
#include <string>

#include "tools/preview/display_text.h"

namespace preview {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The next blank-separated word, removed from `text`.
std::string_view Word(std::string_view& text) {
  text = Trim(text);
  size_t end = 0;
  while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '=') ++end;
  std::string_view word = text.substr(0, end);
  text.remove_prefix(end);
  return word;
}

std::string Unquoted(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return DisplayText(value);
}

}  // namespace

PjlLine ParsePjlLine(std::string_view line, size_t offset) {
  PjlLine out;
  out.offset = offset;
  out.text = DisplayText(Trim(line));
  std::string_view rest = Trim(line);
  rest.remove_prefix(rest.size() >= 4 ? 4 : rest.size());  // "@PJL"
  out.command = Upper(Word(rest));
  if (out.command == "SET" || out.command == "ENTER" || out.command == "DEFAULT") {
    out.key = Upper(Word(rest));
    rest = Trim(rest);
    if (!rest.empty() && rest.front() == '=') rest.remove_prefix(1);
    out.value = Unquoted(rest);
  } else {
    out.value = Unquoted(rest);
  }
  return out;
}

bool IsKxGlLanguage(std::string_view language) {
  std::string upper = Upper(Trim(language));
  return upper == "GL2" || upper == "HPGL2" || upper == "HPGL" || upper == "RTL";
}

}  // namespace preview
