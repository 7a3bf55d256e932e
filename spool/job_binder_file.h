// Job-binder files: the ".QBX" files the job-binder application picks up from
// its folder. Each holds the 380-byte merge header and then the job's stream.
// A file is named by the user's chosen name, or after the document (with the
// characters a file name cannot hold replaced by their full-width forms and a
// two-digit number added when the name is taken); an existing file is never
// written over.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace spool {

// The eleven characters a job-binder file name cannot hold.
bool IsForbiddenNameCharacter(char16_t c);
// The document name with each forbidden character replaced.
std::u16string FileNameOfDocument(std::u16string_view documentName);

// Creates the job-binder file in `folder` (made with its missing parents) and
// writes `mergeHeader` (380 bytes) at its start. Returns the open file, or
// INVALID_HANDLE_VALUE after telling the user why (except for a document name
// too long to make a path of).
HANDLE CreateJobBinderFile(std::u16string_view folder, std::u16string_view fileName,
                           std::u16string_view documentName, const unsigned char* mergeHeader);

}  // namespace spool
