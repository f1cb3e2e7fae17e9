#pragma once
// Replacing a small file so that a failure never leaves it damaged: the new
// contents go to a temporary file in the same folder, which then takes the
// file's name in one step.

#include <QByteArray>
#include <QString>

// Writes `bytes` to a new file beside `path` (every write checked, flushed to
// the disk) and renames it onto `path`. A symbolic link of that name is
// replaced by the new file itself; its target is never written. A regular file
// that the user may not write is left as it is (false); one that is replaced
// keeps its permission bits. The new file has no name until it is complete
// where the file system allows, so a program killed meanwhile leaves nothing;
// temporaries that killed processes left elsewhere are removed at the next
// replacement. On any failure the temporary file is removed, `path` is left as
// it was, and the result is false.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes);
