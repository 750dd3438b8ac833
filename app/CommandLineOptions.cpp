#include "CommandLineOptions.h"

#include <utility>

namespace {

constexpr const char* kUsage =
    "Usage: korvoplayer [OPTION] [FILE [SECOND-ARGUMENT]]\n"
    "Plays MP3, AVI, MPEG, ASF, WMV and WMA files in a skinned window.\n"
    "Only one player runs per user: a later start hands FILE to the running player.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         end of options: the next argument is the file, even when it starts with '-'\n";

} // namespace

CCommandLineOptions::CCommandLineOptions(std::vector<std::string> arguments) : m_arguments(std::move(arguments))
{
    if (m_arguments.size() < 2)
        return;
    const std::string& first = m_arguments[1];
    if (first == "--") {
        m_arguments.erase(m_arguments.begin() + 1);
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
