// The printer's own commands: texts framed by 1B 12 ... 1B 20 (language
// switch, paper, tray, pen ink) and the "MS-1" commands of the job set-up.
// They set up the device and draw nothing; the previewer names them.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace preview {

// The frame around a device command text.
constexpr std::string_view kFrameOpen = "\x1B\x12";
constexpr std::string_view kFrameClose = "\x1B\x20";

// The framed text that switches the device to KX-GL/2.
constexpr std::string_view kLanguageSwitch = "!-1,1,2@GL2";

// The ends of a job for printers without PJL: the SIC terminator, and the
// single end-of-transmission byte.
constexpr std::string_view kSicEndOfJob{"\x1B[K\x01\x00\x06\x00", 7};
constexpr char kEndOfTransmission = 0x04;

// What the device does with a framed text (the bytes between the frames);
// empty when the text is not one the driver writes.
std::string DescribeFramedCommand(std::string_view text);

// What an "MS" command with these parameters sets; empty when unknown.
std::string DescribeMsCommand(std::span<const double> params);

}  // namespace preview
