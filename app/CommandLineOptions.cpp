#include "CommandLineOptions.h"

#include <cstddef>
#include <utility>

namespace {

constexpr const char* kUsage =
    "Usage: korvoplayer [OPTION] [FILE [SECOND-ARGUMENT]]\n"
    "Plays MP3, AVI, MPEG, ASF, WMV and WMA files in a skinned window.\n"
    "Only one player runs per user: a later start hands FILE to the running player.\n"
    "\n"
    "  --user-ratio W:H  the picture ratio of the User Define entry (default 1:1)\n"
    "  --skin SKIN       this run's skin: a skin archive (ZIP), a folder holding skin.xml,\n"
    "                    or the name of a skin in the skin folders\n"
    "  --no-resume       start files from the beginning this run, not where they were left\n"
    "  --check-skin PATH check the skin archive (ZIP) or folder PATH without a window:\n"
    "                    one line per problem, exit 0 for a good skin and 1 otherwise\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n"
    "  --                end of options: the next argument is the file, even when it starts with '-'\n"
    "\n"
    "Keys: Space play/pause, Ctrl+Backspace stop, Ctrl+O open, Left/Right 10 s (Ctrl 60 s, Shift 300 s),\n"
    "Up/Down volume, M mute, X/C/Z slower/faster/normal, 1-4 scale, 5 fit desktop, 6 maximize,\n"
    "7 fit clip, Enter/Ctrl+Enter full screen, Home from the beginning, Alt+F4 exit.\n"
    "Ctrl+Alt with the numeric pad's 1-9 moves the window (Num Lock on or off); Ctrl+Alt with the\n"
    "numeric pad's + or - sizes it, and so do Ctrl+Alt+= and Ctrl+Alt+- (most X keymaps keep the\n"
    "pad's Ctrl+Alt+plus and minus for themselves).\n"
    "Subtitles: V on/off, J next subtitle track, [ and ] 100 ms earlier/later; Shift+A next audio track.\n";

} // namespace

CCommandLineOptions::CCommandLineOptions(std::vector<std::string> arguments) : m_arguments(std::move(arguments))
{
    // "--user-ratio W:H", "--skin PATH" and "--no-resume" are the player's
    // own and stay on its command line.
    size_t i = 1;
    for (;;) {
        if (i < m_arguments.size() && m_arguments[i] == "--no-resume")
            i += 1;
        else if (i + 1 < m_arguments.size() && (m_arguments[i] == "--user-ratio" || m_arguments[i] == "--skin"))
            i += 2;
        else
            break;
    }
    if (i >= m_arguments.size())
        return;
    const std::string& first = m_arguments[i];
    if (first == "--") {
        m_arguments.erase(m_arguments.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
    if (first.size() < 2 || first[0] != '-')
        return;
    // The message stays on one line whatever the option holds.
    for (char c : first)
        m_option += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    if (first == "--help" || first == "-h") {
        m_kind = Kind::Help;
        m_exitCode = 0;
    } else if (first == "--version") {
        m_kind = Kind::Version;
        m_exitCode = 0;
    } else {
        m_kind = Kind::Unknown;
        m_exitCode = 2;
    }
}

void CCommandLineOptions::Answer(std::FILE* pOut, std::FILE* pErr) const
{
    switch (m_kind) {
    case Kind::Help:
        std::fputs(kUsage, pOut);
        break;
    case Kind::Version:
        std::fprintf(pOut, "korvoplayer %s\n", KORVOPLAYER_VERSION);
        break;
    case Kind::Unknown:
        std::fprintf(pErr, "korvoplayer: unknown option '%s' (try 'korvoplayer --help')\n", m_option.c_str());
        break;
    case Kind::Run:
        break;
    }
}
