// Files and directories as the front end needs them: wildcard listings, existence, full paths,
// deletion, appending a line and replacing a file's contents atomically.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Lists the entries of a directory whose names match the pattern's last component ("*" and
// "?", letter case not counted), directories included, in the order the file system gives.
// Answers 0 when the directory cannot be read (missing, not a directory, no permission).
int platformListDirectory(const std::string& pattern, std::vector<std::string>& names);
// The files of folder and of its sub-folders, in no set order, at most limit of them. A linked
// folder is followed, once: a link round to a folder above is not followed again. Sub-folders
// that cannot be read are passed over. 0 when folder itself cannot be read.
int platformListFilesDeep(const std::string& folder, std::vector<std::string>& paths, size_t limit);
int platformFileExists(const std::string& path); // a file or a directory
int platformIsDirectory(const std::string& path);
// Answers 0 when the current directory cannot be determined.
int platformFullPath(const std::string& relative, std::string& full);
int platformDeleteFile(const std::string& path);
// Renames from to to, replacing a file at to; 0 (errno set) when it cannot.
int platformRenameFile(const std::string& from, const std::string& to);
// Creates an empty file of a new name, starting with prefix, in the system's folder for
// temporary files ($TMPDIR, else /tmp) and answers its path; 0 (errno set) when it cannot.
int platformCreateTemporaryFile(const std::string& prefix, std::string& path);
// Copies the file at from to to through platformReplaceFileWith, then reads both back and
// compares them: 1 only when to holds exactly the bytes of from. errno tells why it did not.
int platformCopyFileVerified(const std::string& from, const std::string& to);
// What the front end reads of a file it is given, unless its reader names a limit of its own:
// more than this is not a file of this kind but a mistake (a disk image, a log left running).
const int64_t DataFileLimit = 256LL << 20;
// Opens a file of data for reading, never waiting on it: only a regular file of at most limit
// bytes is opened. A FIFO (it would hold the front end in open until a writer came), a device
// (/dev/zero never ends) or a larger file is refused with a line on standard error naming it;
// a missing or unreadable one quietly (errno tells). Null when refused.
FILE* platformOpenData(const std::string& path, int64_t limit = DataFileLimit);
// For a reader that opens the file itself (a video's decoder): 1 when platformOpenData would
// open it, else 0 after the same line on standard error.
int platformIsDataFile(const std::string& path, int64_t limit = DataFileLimit);
// Reads the whole file as platformOpenData opens it; 0 when it cannot be read (missing, a
// directory, no permission, not a regular file, larger than limit).
int platformReadFile(const std::string& path, std::string& contents, int64_t limit = DataFileLimit);
// Appends text as it is in a single write, creating the file when missing. 0 when it cannot.
int platformAppendText(const std::string& path, const std::string& text);
// Appends text and one line feed in a single write, creating the file when missing, so
// two writers never overwrite each other. 0 when the file cannot be opened or written.
int platformAppendLine(const std::string& path, const std::string& text);
// Writes a temporary file beside path, flushes it to disk and renames it over path: a crash
// at any moment leaves the old file or the new one whole. 0 (old file untouched) on failure,
// also for an existing file without any write permission (a read-only file).
int platformReplaceFile(const std::string& path, const std::string& contents);
// The same with the contents written by write into the temporary file (opened for reading
// too, at its start); write answers 0 to give up. errno tells why a replace failed.
int platformReplaceFileWith(const std::string& path, const std::function<int(FILE*)>& write);
// The same for a file the front end derives from another and writes again at will (an index, a
// cache, a captured list): a link at path is replaced by the file itself, so neither its target
// nor anything in another folder is ever written.
int platformReplaceDerivedFile(const std::string& path, const std::function<int(FILE*)>& write);
int platformReplaceDerivedFile(const std::string& path, const std::string& contents);
// Opens path for writing from its start, empty, as a derived file: a link at path is removed
// and replaced by the file. The descriptor, or -1 (errno set).
int platformCreateDerivedFile(const std::string& path);
void platformCloseFile(int descriptor);
// Deletes what a save killed before its rename left beside path (its temporary files), with
// a line on standard error for each.
void platformRemoveTemporaries(const std::string& path);
// The same beside a derived file itself, where platformReplaceDerivedFile writes them.
void platformRemoveDerivedTemporaries(const std::string& path);
// The modification stamp (nanoseconds) and size; 0 when the file does not exist.
int platformFileStamp(const std::string& path, int64_t* stamp, int64_t* size);

// What tells one version of a file from another without reading it.
struct FileIdentity
{
    int64_t Stamp; // modification time, nanoseconds
    int64_t Size;
    uint64_t Inode;
};
// 0 when the file does not exist.
int platformFileIdentity(const std::string& path, FileIdentity* identity);
// Names the running program's build: the same text exactly when the same code was built.
std::string platformBuildIdentity();

// Why the file call that just failed did, in a few words: the system's reason, else fallback
// when it gave none. The file calls leave their reason as the C library does; this is how the
// rest of the program reads it, right after the call.
std::string platformWhyFailed(const char* fallback);
// Forgets the reason of an earlier failure, before a call whose reason is to be told.
void platformClearFailure();
// Why the file at path could not be read, in a few words ("no such file", "it is a folder",
// "it is no file to read" for one platformOpenData refused, the system's reason); right after
// the failed read.
std::string platformWhyUnreadable(const std::string& path);
