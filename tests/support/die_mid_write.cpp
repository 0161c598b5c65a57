// Preloaded into pumpsel-ini by the tests. The first write into the file
// named by PUMPSEL_DIE_WRITING (a rewrite in place: writes of a replacement
// go to other files) stores half of its bytes, then the process is killed,
// leaving the file as a power cut in the middle of the rewrite could. A name
// that ends in "/" stands for any file in that folder, such as the new
// content of a replacement.
#include <dlfcn.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using Pwrite = ssize_t (*)(int, const void*, size_t, off_t);

bool writesTheVictim(int fd) {
    const char* victim = std::getenv("PUMPSEL_DIE_WRITING");
    char link[64], path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, sizeof path);
    if (!victim || length <= 0) return false;
    const std::string_view written(path, static_cast<std::size_t>(length)), name(victim);
    return name.ends_with('/') ? written.starts_with(name) : written == name;
}

ssize_t dieHalfWay(const char* name, int fd, const void* bytes, size_t size, off_t offset) {
    const auto real = reinterpret_cast<Pwrite>(::dlsym(RTLD_NEXT, name));
    if (!writesTheVictim(fd)) return real(fd, bytes, size, offset);
    real(fd, bytes, size / 2, offset);
    ::raise(SIGKILL);
    return -1;
}

}  // namespace

extern "C" ssize_t pwrite(int fd, const void* bytes, size_t size, off_t offset) {
    return dieHalfWay("pwrite", fd, bytes, size, offset);
}

extern "C" ssize_t pwrite64(int fd, const void* bytes, size_t size, off_t offset) {
    return dieHalfWay("pwrite64", fd, bytes, size, offset);
}
