#include "PlaybackError.h"

#include <cctype>
#include <cstring>

namespace {

// "an" before a word said with a vowel first: a vowel letter, or an
// abbreviation whose first letter's name starts with one ("an H.265",
// "an MPEG-4").
const char* Article(const std::string& word)
{
    if (word.empty())
        return "a";
    const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    const bool bAbbreviation =
        word.size() > 1 && (std::isupper(static_cast<unsigned char>(word[1])) || !std::isalpha(static_cast<unsigned char>(word[1])));
    const char* pszVowelSounds = bAbbreviation ? "AEFHILMNORSX" : "AEIOU";
    return std::strchr(pszVowelSounds, first) != nullptr ? "an" : "a";
}

} // namespace

std::string PlaybackError::MissingPluginText() const
{
    if (missingPlugin.empty())
        return {};
    std::string line = "This file needs " + std::string(Article(missingPlugin)) + " " + missingPlugin;
    if (!package.empty())
        line += " (" + package + ")";
    return line;
}

std::string PlaybackError::Details() const
{
    std::string details = MissingPluginText();
    for (const std::string* pPart : {&gstMessage, &gstDebug}) {
        if (pPart->empty())
            continue;
        if (!details.empty())
            details += '\n';
        details += *pPart;
    }
    return details;
}
