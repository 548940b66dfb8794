// Text files on disk: GBK, CR LF, no byte-order mark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/FileReplace.h"

enum class OpenVariant {
  CreateIfMissing,  // append to the file, creating it empty when missing
  AppendOnly,       // append to an existing file; a missing one is an error
};

// Opens, writes one line with CR LF, closes. Throws EInOutError: "File not
// found" (2), "File access denied" (5), "I/O error %d" otherwise. A line that
// cannot be converted to GBK throws EConvertError before the file is touched.
void AppendLine(const std::string& path, std::string_view line, OpenVariant variant);

// Replaces the file with the lines, each ended by CR LF. The new text goes to a
// temporary file beside it and is renamed over, so a failure leaves the old file.
// Throws EFCreateError "Cannot create file \"%s\". %s" (path, system reason).
void SaveLines(const std::string& path, const std::vector<std::string>& lines);

// Replaces the file with bytes already in their file form, the way SaveLines
// does (ReplaceFileWith: a temporary file that a killed save does not leave
// behind, one rename, the old file's permissions kept). Refuses a directory or
// a file this process may not write. Throws EFCreateError.
void ReplaceFileBytes(const std::string& path, std::string_view bytes, SyncMode sync);

// Whole file as UTF-8 lines; a missing file gives no lines. Other failures
// throw EInOutError as AppendLine does, bytes that are no GBK EConvertError.
std::vector<std::string> LoadLines(const std::string& path);
bool FileExists(const std::string& path);
bool DeleteFile(const std::string& path);
