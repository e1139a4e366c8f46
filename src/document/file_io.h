// Reading and writing document files, with the error texts the user is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "document/text_format.h"

namespace kw {

// "Cannot open file "<full path>". <system's reason>"
std::string CannotOpenFileMessage(const std::string& path, int error);
// "Cannot create file "<full path>". <system's reason>"
std::string CannotCreateFileMessage(const std::string& path, int error);

// Reads a regular file from start to end without locking it. size is called
// once with the file's size before the first piece (a hint: a file that grows
// or shrinks while it is read is still read to its end); consume gets the
// bytes in order, in pieces of at most pieceSize bytes.
// Throws EKempwellError with CannotOpenFileMessage when the file cannot be
// opened or read, is a directory or another kind of non-regular file (a FIFO
// is never waited for), or is too large for the editor (2 GiB or more).
void ReadFilePieces(const std::string& path, size_t pieceSize,
                    const std::function<void(uint64_t size)>& size,
                    const std::function<void(std::string_view piece)>& consume);

// Throws as ReadFilePieces would for a file it cannot read, without reading it.
void CheckReadableFile(const std::string& path);

// The whole file as one string; the same errors as ReadFilePieces.
std::string ReadWholeFile(const std::string& path);

// Writes text with its breaks in the given style to an open descriptor and
// closes it, for files that need no crash-safe replacement. Throws
// EKempwellError with CannotCreateFileMessage(path, ...) when a write or the
// close fails; the descriptor is closed either way.
void WriteTextAndClose(int fd, const std::string& path, std::string_view text, BreakStyle style);

// Saves text to path in the document text format (breaks in the given style,
// nothing added after the last line) through ReplaceFileContent, so that a
// failure leaves the old file as it was (short of the rare save in place
// that ReplaceFileContent falls back to). Throws EKempwellError with
// CannotCreateFileMessage on failure; an empty path fails with ENOENT.
void SaveTextFile(const std::string& path, std::string_view text, BreakStyle style);

}  // namespace kw
