#include "runtime/core/files/file_replace.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const NotARegularFile = "Not a regular file";

namespace {

// Longest file name most file systems take, in bytes.
constexpr size_t NameMax = 255;

std::string Reason(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

// The file a path names: a symbolic link is followed, also one to a file that does not
// exist yet, so that saving replaces the file it points at and keeps the link.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved))
        return resolved;
    const ssize_t n = readlink(path.c_str(), resolved, sizeof resolved - 1);
    if (n <= 0)
        return path;
    resolved[n] = 0;
    if (resolved[0] == '/')
        return resolved;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(resolved)
                                      : path.substr(0, slash + 1) + resolved;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether this process may write path, judged as an open would judge it (effective ids).
bool MayWrite(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string UserName(uid_t uid) {
    char buffer[1024];
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->pw_name;
    return "user " + std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    char buffer[1024];
    struct group entry {};
    struct group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->gr_name;
    return "group " + std::to_string(gid);
}

} // namespace

FileReplacement::~FileReplacement() {
    Abort();
}

std::string FileReplacement::Begin(const std::string& path) {
    Abort();
    notice_.clear();
    target_ = ResolveTarget(path);
    struct stat st {};
    existed_ = stat(target_.c_str(), &st) == 0;
    if (!existed_ && errno != ENOENT)
        return Reason(errno);
    if (existed_ && S_ISDIR(st.st_mode))
        return Reason(EISDIR);
    // A rename would put a file where a device, FIFO or socket was: never what was meant.
    if (existed_ && !S_ISREG(st.st_mode))
        return NotARegularFile;
    // The rename needs only the folder's permission: the file's own is checked here, as
    // an open for writing would check it.
    if (existed_ && !MayWrite(target_))
        return Reason(errno);
    mode_ = existed_ ? st.st_mode & 0777 : NewFileMode();
    owner_ = st.st_uid;
    group_ = st.st_gid;
    if (existed_ && !MayWrite(FolderOf(target_))) {
        // A folder that takes no new file may still hold a writable file.
        fd_ = open(target_.c_str(), O_RDWR | O_TRUNC | O_CLOEXEC);
        if (fd_ < 0)
            return Reason(errno);
        inPlace_ = true;
        writePath_ = target_;
        return {};
    }
    return CreateTemporary();
}

// A hidden name beside the target, unique, created readable and writable by the owner
// only: what it holds is nobody else's business until it becomes the target.
std::string FileReplacement::CreateTemporary() {
    const size_t slash = target_.rfind('/');
    std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    base.resize(std::min(base.size(), NameMax - 8)); // room for "." and ".XXXXXX"
    std::string temporary = FolderOf(target_) + "/." + base + ".XXXXXX";
    fd_ = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd_ < 0)
        return Reason(errno);
    writePath_ = temporary;
    return {};
}

std::string FileReplacement::Commit() {
    if (fd_ < 0)
        return Reason(EBADF);
    if (!inPlace_ && existed_)
        KeepOwnership();
    int error = 0;
    if (!inPlace_ && fchmod(fd_, mode_) != 0)
        error = errno;
    // On some file systems only the close tells that the bytes did not fit.
    if (close(fd_) != 0 && error == 0)
        error = errno;
    fd_ = -1;
    if (error == 0 && !inPlace_ && rename(writePath_.c_str(), target_.c_str()) != 0)
        error = errno;
    if (error != 0) {
        Abort();
        return Reason(error);
    }
    writePath_.clear();
    return {};
}

// Owner first: a change of owner clears the set-id bits, and the mode comes after.
void FileReplacement::KeepOwnership() {
    struct stat now {};
    if (fstat(fd_, &now) != 0 || (now.st_uid == owner_ && now.st_gid == group_))
        return;
    // Only an administrator may give a file away; a member of the group may keep that.
    if (fchown(fd_, owner_, group_) != 0 && fchown(fd_, static_cast<uid_t>(-1), group_) != 0) {
        // Neither could be kept: the notice below says what changed.
    }
    if (fstat(fd_, &now) != 0)
        return;
    std::string changed;
    if (now.st_uid != owner_)
        changed = "its owner is now " + UserName(now.st_uid) + " instead of " + UserName(owner_);
    if (now.st_gid != group_)
        changed += (changed.empty() ? "its group is now " : " and its group ") +
                   GroupName(now.st_gid) + " instead of " + GroupName(group_);
    notice_ = changed;
}

void FileReplacement::Abort() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!inPlace_ && !writePath_.empty())
        unlink(writePath_.c_str());
    writePath_.clear();
    inPlace_ = false;
}
