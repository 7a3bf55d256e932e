// The model table: maps a printer description's NickName to the model number
// (1-104) by prefix, with the model's mask bits.
#pragma once

#include <cstdint>
#include <string_view>

namespace settings {

// Mask bits of a model.
constexpr std::uint32_t kModelExtendedLog = 0x1;    // the print log's extended record
constexpr std::uint32_t kModelEmptyUserCode = 0x2;  // user-code line even when empty
constexpr std::uint32_t kModelCleanJobName = 0x4;   // job name cleaned; alternative label rule
constexpr std::uint32_t kModelLogAuthUser = 0x8;    // log carries the authentication user

struct ModelRow {
  std::string_view prefix;
  std::uint32_t mask;
  int model;
};

constexpr int kModelCount = 104;

// The first row whose prefix the nickname starts with: its model number, or -1.
int ModelFromNickName(std::string_view nickName);
// The mask of a model number; 0 outside 1-104.
std::uint32_t ModelMask(int model);
// Row n (0-based) of the table.
const ModelRow& ModelRowAt(int index);

}  // namespace settings
