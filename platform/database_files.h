// The database's own files: the file the database name leads to (as the script sent the
// name) and its companions, the same name with "-wal", "-shm" or "-journal" appended,
// which SQLite keeps beside it. A BLOB action must neither write nor read them, and must
// not even open and close one: on POSIX systems closing any descriptor of a file
// releases every lock the process holds on it, SQLite's included.
#pragma once

#include "platform/blob_file.h"

namespace kiv::platform {

// True when `name` is one of the database's own files under any name (a link, a
// symbolic link, another spelling of the path), or names where one would be made; also
// when that cannot be told (an I/O error). Judged by path and file identity, without
// opening any of them.
bool NamesDatabaseFile(const char *name, const char *database) noexcept;

// True when the open `file` is one of the database's own files (a file renamed between
// NamesDatabaseFile and the open), or when that cannot be told. The caller then keeps
// `file` open until the database is closed.
bool IsDatabaseFile(const File &file, const char *database) noexcept;

}  // namespace kiv::platform
