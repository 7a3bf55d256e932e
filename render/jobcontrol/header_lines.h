// The lines of the job header: the PJL job frame, the job's attributes as
// "@PJL SET" lines, and the switch into KX-GL/2. Each is its own writer so that
// the header variants and the pass-through header can call them in their order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "render/core/device_context.h"

namespace render::jobcontrol {

// The universal exit, "@PJL\n", "@PJL JOB\n".
void WritePjlStart(DeviceContext& dc);
// "@PJL SET JOBNAME" with the spooler's document name of the job.
void WriteJobNameLine(DeviceContext& dc);
// "@PJL SET DATE" and "@PJL SET TIME" from the local clock, kept as the job time.
void WriteDateTimeLines(DeviceContext& dc);
void WriteUserIdLine(DeviceContext& dc);
// Written only when the user identification says so.
void WriteUserCodeLine(DeviceContext& dc);
void WriteHostLoginNameLine(DeviceContext& dc);
// User name, password and encryption lines.
void WriteAuthenticationLines(DeviceContext& dc);
void WriteTrackIdLine(DeviceContext& dc);
// The copier or printer stamp line by printer type and model; none for other types.
void WriteStampLine(DeviceContext& dc);
void WriteCopierStampLine(DeviceContext& dc);
void WriteImageDirectionLine(DeviceContext& dc);
void WritePrintInfoLine(DeviceContext& dc);
// The output-bin lines in the form the printer takes.
void WriteOutputBinLinesByModel(DeviceContext& dc);
void WriteEnterLanguage(DeviceContext& dc);
// 1B 12 "!-1,1,2@GL2" 1B 20: the device starts reading KX-GL/2.
void WriteLanguageSwitch(DeviceContext& dc);

// A value as a quoted PJL value can carry it: a double quote becomes a single
// quote, and the control bytes but TAB are dropped, so that no value can end
// the PJL string or start a line of its own.
std::string CleanPjlValue(std::string_view value);
// prefix, a double quote, the cleaned value, a double quote, "\n". The value is
// written whole, whatever its length.
void WriteQuotedLine(DeviceContext& dc, const char* prefix, std::string_view value);

// The bytes of a text in the ANSI code page, at most `maxBytes`, cut on a
// character boundary.
std::string AnsiText(std::u16string_view text, std::size_t maxBytes);
// Cuts an ANSI text to at most `maxBytes` without splitting a double-byte
// character; a lead byte without its trail byte ends the text.
void CutAtCharacter(std::string& text, std::size_t maxBytes);
// An 8-bit text field up to its terminator (or its size).
std::string_view FieldText(const char* field, std::size_t size);

}  // namespace render::jobcontrol
