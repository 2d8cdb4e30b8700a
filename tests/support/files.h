// Temporary folders and whole-file reads and writes for the tests of every
// deliverable (it needs none of them).
#ifndef CONFKIT_TEST_FILES_H
#define CONFKIT_TEST_FILES_H

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include <unistd.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // keeps std::min and std::max usable in the tests
#endif
#include <filesystem>
#include <windows.h>
#endif

namespace testsupport {

#ifdef _WIN32
// The folder for temporary files, with its trailing separator.
inline std::string TempRoot() {
    char root[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof root, root);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("no temporary folder");
    return std::string(root, n);
}

// A new folder under the temporary folder; the name is tried until free.
inline std::string MakeTempFolder(const char *prefix) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = TempRoot() + prefix + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(InterlockedIncrement(&counter));
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    }
    throw std::runtime_error("cannot create a temporary folder");
}
#endif

// A temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
#ifdef _WIN32
    TempDir() : path_(MakeTempFolder("confkit-test-")) {}
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
#else
    TempDir() {
        char tmpl[] = "/tmp/confkit-test-XXXXXX";
        if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::system(("rm -rf '" + path_ + "'").c_str());
    }
#endif
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const {
        return path_;
    }
    std::string File(const std::string &name) const {
        return path_ + "/" + name;
    }

  private:
    std::string path_;
};

inline void WriteFile(const std::string &path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool FileExists(const std::string &path) {
    return access(path.c_str(), F_OK) == 0;
}

} // namespace testsupport

#endif
