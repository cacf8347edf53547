#include "base/RegularFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

std::string RegularFileProblem(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return "does not exist";
        if (errno == ELOOP) return "is a symbolic link loop";
        return std::string("cannot be examined (") + std::strerror(errno) + ")";
    }
    if (S_ISREG(info.st_mode)) return "";
    if (S_ISDIR(info.st_mode)) return "is a folder";
    if (S_ISFIFO(info.st_mode)) return "is a FIFO";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "is a device";
    if (S_ISSOCK(info.st_mode)) return "is a socket";
    return "is not a regular file";
}
