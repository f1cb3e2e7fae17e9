#pragma once
// Replacing a small file so that a failure never leaves it damaged: the new
// contents go to a temporary file in the same folder, which then takes the
// file's name in one step.

#include <QByteArray>
#include <QString>

// Writes `bytes` to a new file beside `path` (every write checked, flushed to
// the disk, closed) and renames it onto `path`. A symbolic link of that name is
// replaced by the new file itself; its target is never written. On any failure
// the temporary file is removed, `path` is left as it was, and the result is
// false. A regular file that is replaced keeps its permission bits.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes);
