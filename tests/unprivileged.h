// Running a piece of a test as an ordinary user: the administrator ignores file modes, so
// a test that runs as root checks protections in a child process that has dropped to the
// unprivileged user 65534 (nobody) for good. Run as anyone else, the body runs in place.
#pragma once

#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

constexpr uid_t UnprivilegedId = 65534;

// The text body returns, as seen by an unprivileged user; "child failed" when the child
// could not drop its privileges or ended otherwise. The child only runs body and writes
// its result into a pipe, so that no test state is shared.
inline std::string AsUnprivilegedUser(const std::function<std::string()>& body) {
    if (geteuid() != 0)
        return body();
    int link[2];
    if (pipe(link) != 0)
        return "child failed";
    const pid_t child = fork();
    if (child == 0) {
        close(link[0]);
        if (setgroups(0, nullptr) != 0 || setgid(UnprivilegedId) != 0 ||
            setuid(UnprivilegedId) != 0)
            _exit(1);
        const std::string result = body();
        const bool sent =
            write(link[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        _exit(sent ? 0 : 1);
    }
    close(link[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = read(link[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<size_t>(n));
    close(link[0]);
    int status = 0;
    const bool ok = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0;
    return ok ? result : "child failed";
}
