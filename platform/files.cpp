// Files and directories on POSIX.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

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

int platformReadFile(const std::string& path, std::string& contents)
{
    contents.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))
    {
        close(fd);
        return 0;
    }
    if (info.st_size > 0) contents.reserve((size_t)info.st_size);
    char buffer[65536];
    for (;;)
    {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
        {
            close(fd);
            contents.clear();
            return 0;
        }
        if (got == 0) break;
        contents.append(buffer, (size_t)got);
    }
    close(fd);
    return 1;
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

int platformAppendLine(const std::string& path, const std::string& text)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return 0;
    // One write per line: with O_APPEND two writers never overwrite each other.
    int ok = writeAll(fd, text + "\n");
    close(fd);
    return ok;
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

int platformReplaceFile(const std::string& linkOrPath, const std::string& contents)
{
    std::string path = resolveLink(linkOrPath);
    struct stat old;
    int exists = stat(path.c_str(), &old) == 0;
    // A file the owner made read-only stays as it is, also for a program run as root.
    if (exists && (old.st_mode & 0222) == 0) return 0;
    std::string temporary = path + ".tmp-XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) return 0;
    // Keep the permissions the user gave the file; mkstemp makes it private.
    fchmod(fd, exists ? (old.st_mode & 07777) : 0644);
    int ok = writeAll(fd, contents) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
    {
        unlink(temporary.c_str());
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

// mkstemp's six characters after the ".tmp-" that platformReplaceFile adds.
static int isTemporaryOf(const std::string& name, const std::string& base)
{
    const std::string suffix = ".tmp-";
    return name.size() == base.size() + suffix.size() + 6 &&
           name.compare(0, base.size(), base) == 0 &&
           name.compare(base.size(), suffix.size(), suffix) == 0;
}

void platformRemoveTemporaries(const std::string& linkOrPath)
{
    std::string path = resolveLink(linkOrPath);
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

int platformFileStamp(const std::string& path, int64_t* stamp, int64_t* size)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return 0;
    *stamp = (int64_t)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec;
    *size = info.st_size;
    return 1;
}
