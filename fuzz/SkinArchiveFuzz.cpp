// Loads arbitrary bytes as a whole skin archive, end to end: the archive's
// entries, skin.xml, every bitmap it names, and the control tree of both
// windows built, laid out and drawn off screen.
#include "common/Report.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/SkinChecker.h"

#include <QApplication>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The Qt application the widgets need, made once for the whole run.
void StartQt()
{
    static QApplication* pApplication = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "skin_archive_fuzz";
        static char* argv[] = {name, nullptr};
        SetDebugOutput([](const char*) {});
        return new QApplication(argc, argv);
    }();
    (void)pApplication;
}

void BuildWindow(const std::string& path, const char* pszWindow)
{
    QWidget window;
    window.resize(320, 240);
    CKorvoUIManager manager;
    if (manager.Init(&window, pszWindow, path.c_str()) != S_OK)
        return;
    manager.Dock(0);
    manager.Paint();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartQt();
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("korvo-skin-fuzz-" + std::to_string(::getpid()) + ".zip")).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    CSkinChecker checker;
    checker.Check(path.c_str());
    // The skin manager also meets the skins the checker refuses.
    BuildWindow(path, "korvoplayer");
    BuildWindow(path, "korvoplaylist");
    std::filesystem::remove(path);
    return 0;
}
