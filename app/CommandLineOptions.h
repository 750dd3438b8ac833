// The options the program answers before it does anything else: "--help"
// and "--version" print to standard output and end the program with 0,
// without a window and without reaching a running player; any other first
// argument that starts with '-' (but "-" itself) is refused with one line on
// standard error and exit code 2. Leading "--user-ratio W:H" and "--skin
// PATH" pairs and "--no-resume" are the player's and are passed over (the
// player's command line takes them out). "--" ends the options: the
// arguments after it are the file and the second argument, whatever they
// look like. Only the first argument is looked at, so the second argument
// is kept as given.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

class CCommandLineOptions {
public:
    // `arguments` is the whole command line, element 0 the program.
    explicit CCommandLineOptions(std::vector<std::string> arguments);

    // The exit code when the program ends here, after Answer has printed.
    std::optional<int> ExitCode() const { return m_exitCode; }
    // Prints what the option asks for (nothing for a plain start).
    void Answer(std::FILE* pOut, std::FILE* pErr) const;
    // The command line the player runs with: "--" taken out.
    const std::vector<std::string>& PlayerArguments() const { return m_arguments; }

private:
    enum class Kind { Run, Help, Version, Unknown };

    std::vector<std::string> m_arguments;
    Kind m_kind = Kind::Run;
    std::string m_option;
    std::optional<int> m_exitCode;
};
