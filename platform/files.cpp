// Files and directories on POSIX.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <link.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

static void splitPattern(const std::string& pattern, std::string& directory, std::string& mask)
{
    size_t slash = pattern.rfind('/');
    if (slash == std::string::npos)
    {
        directory = ".";
        mask = pattern;
        return;
    }
    directory = slash == 0 ? "/" : pattern.substr(0, slash);
    mask = pattern.substr(slash + 1);
}

int platformListDirectory(const std::string& pattern, std::vector<std::string>& names)
{
    std::string directory, mask;
    splitPattern(pattern, directory, mask);
    DIR* dir = opendir(directory.c_str());
    if (!dir) return 0;
    while (struct dirent* entry = readdir(dir))
    {
        const char* name = entry->d_name;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) continue;
        // ROM sets and configuration files come from case-insensitive file systems.
        if (fnmatch(mask.c_str(), name, FNM_CASEFOLD | FNM_PERIOD) == 0) names.push_back(name);
    }
    closedir(dir);
    return 1;
}

// Folders already walked, by device and inode: a link loop ends at the first repeat.
typedef std::set<std::pair<dev_t, ino_t>> WalkedFolders;

static void listDeep(const std::string& folder, std::vector<std::string>& paths, size_t limit,
                     WalkedFolders& walked)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> folders;
    while (struct dirent* entry = readdir(dir))
    {
        if (paths.size() >= limit) break;
        const char* name = entry->d_name;
        if (name[0] == '.') continue; // hidden files are no one's music
        std::string path = folder + "/" + name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0) continue; // a dangling link
        if (S_ISREG(info.st_mode))
            paths.push_back(path);
        else if (S_ISDIR(info.st_mode) && walked.insert({info.st_dev, info.st_ino}).second)
            folders.push_back(path);
    }
    closedir(dir);
    for (const std::string& next : folders) listDeep(next, paths, limit, walked);
}

int platformListFilesDeep(const std::string& folder, std::vector<std::string>& paths, size_t limit)
{
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return 0;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return 0;
    closedir(dir);
    WalkedFolders walked{{info.st_dev, info.st_ino}};
    listDeep(folder, paths, limit, walked);
    return 1;
}

int platformFileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

int platformIsDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int platformFullPath(const std::string& relative, std::string& full)
{
    if (!relative.empty() && relative[0] == '/')
    {
        full = relative;
        return 1;
    }
    char* current = getcwd(nullptr, 0);
    if (!current) return 0;
    full = std::string(current) + "/" + relative;
    free(current);
    return 1;
}

int platformDeleteFile(const std::string& path)
{
    return unlink(path.c_str()) == 0;
}

static int readSome(int fd, char* buffer, size_t size, ssize_t* got)
{
    do *got = read(fd, buffer, size);
    while (*got < 0 && errno == EINTR);
    return *got >= 0;
}

static std::string megabytes(int64_t bytes)
{
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

// What keeps a file of data from being read, in a few words; empty when nothing does.
static std::string refusal(const struct stat& info, int64_t limit)
{
    if (S_ISDIR(info.st_mode)) return "";
    if (!S_ISREG(info.st_mode))
        return "it is not a regular file (a FIFO or a device is never read)";
    if (info.st_size > limit) return "it is larger than the limit of " + megabytes(limit);
    return "";
}

// Each file refused is named once: a sound or a picture is asked for again at every move.
static void tellRefusal(const std::string& path, const struct stat& info, const std::string& why)
{
    static std::set<std::pair<dev_t, ino_t>> told;
    if (told.size() > 4096) told.clear(); // a bound, whatever a folder holds
    if (told.insert({info.st_dev, info.st_ino}).second)
        fprintf(stderr, "Not read: [%s]: %s\n", path.c_str(), why.c_str());
}

// Opened without waiting (a FIFO's open waits for a writer) and looked at before anything is
// read. A folder fails quietly with EISDIR: callers say what they expected there.
static int openData(const std::string& path, int64_t limit, struct stat* info)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    int error = fstat(fd, info) != 0 ? errno : S_ISDIR(info->st_mode) ? EISDIR : 0;
    std::string refused = error ? "" : refusal(*info, limit);
    if (!refused.empty())
    {
        tellRefusal(path, *info, refused);
        error = EINVAL;
    }
    if (error)
    {
        close(fd);
        errno = error;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

FILE* platformOpenData(const std::string& path, int64_t limit)
{
    struct stat info;
    int fd = openData(path, limit, &info);
    if (fd < 0) return nullptr;
    FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

int platformIsDataFile(const std::string& path, int64_t limit)
{
    struct stat info;
    int fd = openData(path, limit, &info);
    if (fd >= 0) close(fd);
    return fd >= 0;
}

int platformReadFile(const std::string& path, std::string& contents, int64_t limit)
{
    contents.clear();
    struct stat info;
    int fd = openData(path, limit, &info);
    if (fd < 0) return 0;
    if (info.st_size > 0) contents.reserve((size_t)info.st_size);
    char buffer[65536];
    ssize_t got = 0;
    // A file that grows while it is read stops at the limit all the same.
    while (readSome(fd, buffer, sizeof buffer, &got) && got > 0 &&
           contents.size() + (size_t)got <= (size_t)limit)
        contents.append(buffer, (size_t)got);
    close(fd);
    if (got < 0 || contents.size() + (size_t)got > (size_t)limit)
    {
        contents.clear();
        return 0;
    }
    return 1;
}

int platformRenameFile(const std::string& from, const std::string& to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}

int platformCreateTemporaryFile(const std::string& prefix, std::string& path)
{
    const char* folder = getenv("TMPDIR");
    path = std::string(folder && *folder ? folder : "/tmp") + "/" + prefix + "-XXXXXX";
    // mkstemp makes a name no one else holds, so a link planted in /tmp is never followed.
    int fd = mkstemp(path.data());
    if (fd < 0) return 0;
    close(fd);
    return 1;
}

// Reads up to size bytes, fewer only at the end of the file.
static ssize_t readFull(int fd, char* buffer, size_t size)
{
    size_t done = 0;
    ssize_t got = 0;
    while (done < size && readSome(fd, buffer + done, size - done, &got) && got > 0)
        done += (size_t)got;
    return got < 0 ? -1 : (ssize_t)done;
}

static int sameContents(int first, int second)
{
    std::vector<char> a(1 << 16), b(1 << 16);
    for (;;)
    {
        ssize_t gotA = readFull(first, a.data(), a.size());
        ssize_t gotB = readFull(second, b.data(), b.size());
        if (gotA < 0 || gotB < 0) return 0;
        if (gotA != gotB || memcmp(a.data(), b.data(), (size_t)gotA) != 0)
        {
            errno = EIO;
            return 0;
        }
        if (gotA == 0) return 1;
    }
}

static int compareFiles(const std::string& first, const std::string& second)
{
    int a = open(first.c_str(), O_RDONLY | O_CLOEXEC);
    int b = a < 0 ? -1 : open(second.c_str(), O_RDONLY | O_CLOEXEC);
    int same = a >= 0 && b >= 0 && sameContents(a, b);
    int error = errno;
    if (a >= 0) close(a);
    if (b >= 0) close(b);
    errno = error;
    return same;
}

int platformCopyFileVerified(const std::string& from, const std::string& to)
{
    int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return 0;
    auto copy = [source](FILE* file)
    {
        std::vector<char> buffer(1 << 16);
        ssize_t got = 0;
        while (readSome(source, buffer.data(), buffer.size(), &got) && got > 0)
            if (fwrite(buffer.data(), 1, (size_t)got, file) != (size_t)got) return 0;
        return got == 0 ? 1 : 0;
    };
    int copied = platformReplaceFileWith(to, copy);
    int error = errno;
    close(source);
    errno = error;
    return copied && compareFiles(from, to);
}

static int writeAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size())
    {
        ssize_t wrote = write(fd, data.data() + done, data.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return 0;
        done += (size_t)wrote;
    }
    return 1;
}

int platformAppendText(const std::string& path, const std::string& text)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return 0;
    // One write: with O_APPEND two writers never overwrite each other.
    int ok = writeAll(fd, text);
    close(fd);
    return ok;
}

int platformAppendLine(const std::string& path, const std::string& text)
{
    return platformAppendText(path, text + "\n");
}

static std::string directoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A configuration file kept elsewhere and linked in must stay linked: replace the target.
static std::string resolveLink(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* target = realpath(path.c_str(), nullptr);
    if (!target) return path;
    std::string resolved = target;
    free(target);
    return resolved;
}

// Written beside path and renamed over it: path itself is replaced, a link there too.
static int replaceAt(const std::string& path, const std::function<int(FILE*)>& write)
{
    struct stat old;
    int exists = stat(path.c_str(), &old) == 0;
    // A file the owner made read-only stays as it is, also for a program run as root.
    if (exists && (old.st_mode & 0222) == 0)
    {
        errno = EACCES;
        return 0;
    }
    std::string temporary = path + ".tmp-XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) return 0;
    // Keep the permissions the user gave the file; mkstemp makes it private.
    fchmod(fd, exists ? (old.st_mode & 07777) : 0644);
    FILE* file = fdopen(fd, "w+b");
    if (!file) close(fd);
    int ok = file && write(file) && fflush(file) == 0 && !ferror(file) && fsync(fd) == 0;
    if (file) ok = fclose(file) == 0 && ok;
    if (ok) ok = rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
    {
        int error = errno;
        unlink(temporary.c_str());
        errno = error;
        return 0;
    }
    // Make the rename itself durable.
    int dir = open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0)
    {
        fsync(dir);
        close(dir);
    }
    return 1;
}

int platformReplaceFileWith(const std::string& linkOrPath, const std::function<int(FILE*)>& write)
{
    return replaceAt(resolveLink(linkOrPath), write);
}

// A derived file's place is taken back from a link there: the link goes, its target stays.
static int removeLinkAt(const std::string& path)
{
    struct stat own;
    return lstat(path.c_str(), &own) != 0 || !S_ISLNK(own.st_mode) || unlink(path.c_str()) == 0;
}

int platformCreateDerivedFile(const std::string& path)
{
    if (!removeLinkAt(path)) return -1;
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
}

void platformCloseFile(int descriptor)
{
    if (descriptor >= 0) close(descriptor);
}

int platformReplaceDerivedFile(const std::string& path, const std::function<int(FILE*)>& write)
{
    // The rename would replace a link by itself, but the mode kept is read through it.
    return removeLinkAt(path) && replaceAt(path, write);
}

static std::function<int(FILE*)> writerOf(const std::string& contents)
{
    return [&contents](FILE* file)
    {
        return contents.empty() ||
               fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    };
}

int platformReplaceFile(const std::string& path, const std::string& contents)
{
    return platformReplaceFileWith(path, writerOf(contents));
}

int platformReplaceDerivedFile(const std::string& path, const std::string& contents)
{
    return platformReplaceDerivedFile(path, writerOf(contents));
}

// mkstemp's six characters after the ".tmp-" that platformReplaceFile adds.
static int isTemporaryOf(const std::string& name, const std::string& base)
{
    const std::string suffix = ".tmp-";
    return name.size() == base.size() + suffix.size() + 6 &&
           name.compare(0, base.size(), base) == 0 &&
           name.compare(base.size(), suffix.size(), suffix) == 0;
}

static void removeTemporariesAt(const std::string& path)
{
    std::string folder = directoryOf(path);
    size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (struct dirent* entry = readdir(dir))
        if (isTemporaryOf(entry->d_name, base) &&
            unlink((folder + "/" + entry->d_name).c_str()) == 0)
            fprintf(stderr, "Removed an unfinished save: [%s/%s]\n", folder.c_str(), entry->d_name);
    closedir(dir);
}

void platformRemoveTemporaries(const std::string& linkOrPath)
{
    removeTemporariesAt(resolveLink(linkOrPath));
}

void platformRemoveDerivedTemporaries(const std::string& path)
{
    removeTemporariesAt(path);
}

int platformFileIdentity(const std::string& path, FileIdentity* identity)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return 0;
    identity->Stamp = (int64_t)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec;
    identity->Size = info.st_size;
    identity->Inode = (uint64_t)info.st_ino;
    return 1;
}

int platformFileStamp(const std::string& path, int64_t* stamp, int64_t* size)
{
    FileIdentity identity;
    if (!platformFileIdentity(path, &identity)) return 0;
    *stamp = identity.Stamp;
    *size = identity.Size;
    return 1;
}

// The linker's build ID note of the program itself: the first object dl_iterate_phdr visits.
static int readBuildIdNote(struct dl_phdr_info* object, size_t, void* data)
{
    std::string& identity = *(std::string*)data;
    for (int i = 0; i < object->dlpi_phnum && identity.empty(); i++)
    {
        const ElfW(Phdr)& header = object->dlpi_phdr[i];
        if (header.p_type != PT_NOTE) continue;
        const char* notes = (const char*)(object->dlpi_addr + header.p_vaddr);
        size_t align = header.p_align == 8 ? 8 : 4, at = 0;
        while (at + sizeof(ElfW(Nhdr)) <= header.p_memsz)
        {
            const ElfW(Nhdr)* note = (const ElfW(Nhdr)*)(notes + at);
            size_t nameSize = (note->n_namesz + align - 1) & ~(align - 1);
            size_t descSize = (note->n_descsz + align - 1) & ~(align - 1);
            const char* name = notes + at + sizeof *note;
            const unsigned char* desc = (const unsigned char*)name + nameSize;
            at += sizeof *note + nameSize + descSize;
            if (at > header.p_memsz) break;
            if (note->n_type != NT_GNU_BUILD_ID || note->n_namesz != 4 || memcmp(name, "GNU", 4))
                continue;
            static const char digits[] = "0123456789abcdef";
            for (size_t k = 0; k < note->n_descsz; k++)
                identity += {digits[desc[k] >> 4], digits[desc[k] & 15]};
            break;
        }
    }
    return 1; // the program comes first; the libraries do not matter
}

std::string platformBuildIdentity()
{
    std::string identity;
    dl_iterate_phdr(readBuildIdNote, &identity);
    if (!identity.empty()) return "build-id " + identity;
    // Linked without a build ID: the executable's file stands for the build.
    FileIdentity program{};
    platformFileIdentity("/proc/self/exe", &program);
    char text[96];
    snprintf(text, sizeof text, "program %lld %lld %llu", (long long)program.Size,
             (long long)program.Stamp, (unsigned long long)program.Inode);
    return text;
}

std::string platformWhyFailed(const char* fallback)
{
    return errno ? std::strerror(errno) : fallback;
}

void platformClearFailure()
{
    errno = 0;
}

std::string platformWhyUnreadable(const std::string& path)
{
    int error = errno;
    if (!platformFileExists(path)) return "no such file";
    if (platformIsDirectory(path)) return "it is a folder";
    if (error == EINVAL) return "it is no file to read"; // the reason is on the line before
    return error ? std::strerror(error) : "read error";
}
