// Every test process keeps the program's configuration and state (recent files, zoom, the copy of
// unsaved work) in folders of its own, set before any test runs and passed on to the programs the
// tests start: nothing of the user's is read or changed, and tests running side by side never see
// each other's.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct PrivateHome {
    std::string folder;

    PrivateHome() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/trussmill-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) return;
        folder = pattern;
        ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
    }

    ~PrivateHome() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
};

const PrivateHome privateHome;

}  // namespace
