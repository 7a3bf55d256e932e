// The job-binder request of a printer as the settings UI keeps it: the keys of
// the printer's section in qxw4gl.ini ("QBXSEND", "QBXSEND_RESET",
// "JobMergeFile", "JobMergePath", "JobMergeLastFile"), the folder the
// job-binder application watches (the user's registry value "MPDL_FOLDER"),
// and the rule for a file name the user enters.
#pragma once

#include <string>
#include <string_view>

namespace settings {

// The folder of job-binder files: the registry value "MPDL_FOLDER" of
// HKEY_CURRENT_USER "SOFTWARE\MOBRA\QBX-W", of any length. When it is missing
// or cannot be read, the Windows folder followed by "\temp\QBX-W" is stored
// there and used.
std::u16string JobBinderFolder();

// A file name the user may choose: none of \ / : , ; * ? " < > | and not only
// blanks (empty: the document name is used).
bool IsValidJobBinderFileName(std::u16string_view name);

// Asks for the printer's next job (`once`) or every job to go to the job
// binder, named `fileName` (empty: after the document), in `folder`, which is
// made with its missing parents. False when a key cannot be written or the
// folder cannot be made.
[[nodiscard]] bool RequestJobBinderJob(const std::u16string& iniFile, const std::u16string& printer,
                                       const std::u16string& folder, const std::u16string& fileName,
                                       bool once);

}  // namespace settings
