#pragma once
// The file that keeps the printer-port address between runs: "IOaddress.001",
// one line holding the address text as typed, ended by CR LF.

#include <QString>

// Path of the address file in `dir`; with no directory, the bare name, which
// lies in the current working directory.
QString AddressFilePath(const QString& dir = QString());

struct AddressFileContent {
    enum class Kind {
        Missing, // no regular file that can be read (absent, unreadable, a
                 // directory, a FIFO, a device)
        Empty,   // the file has no bytes
        TooLong, // the first field has more than 5 characters: to be ignored
        Field,   // the first field, in `field`
    };
    Kind kind = Kind::Missing;
    QString field;
};

// The first field of the address file: the text up to the first comma or line
// end, leading blanks skipped, a field in double quotes taken without its
// quotes, then trimmed. The file is read as single-byte (Latin-1) text.
AddressFileContent ReadAddressFile(const QString& dir = QString());

// Replaces the address file with `text` trimmed and CR LF, as Latin-1. The old
// file stays whole until the new one is complete (see ReplaceFileContents); a
// symbolic link of that name is replaced, never written through; a file the
// user may not write stays as it is. False when it could not be written.
bool WriteAddressFile(const QString& text, const QString& dir = QString());
