// Checks a skin (a ZIP archive or a folder holding skin.xml and its bitmaps)
// without showing a window, and collects every problem with its place: the
// archive entry or file, or "skin.xml:LINE" for the document. It looks at
// the entries (names that leave the skin's folder, sizes, compression
// ratios), the document (well-formed, both windows, minimum sizes, fonts,
// controls), every bitmap the document names (present, readable, not too
// large, sizes that fit the control) and, when all that is sound, builds
// both windows off screen with the skin manager. Nothing is written outside
// the skin manager's private temporary folder. Needs a QApplication.
#pragma once

#include "skin/SkinArchive.h"

#include <QSize>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

class QXmlStreamReader;

class CSkinChecker {
public:
    struct Problem {
        std::string sPlace;
        std::string sText;
        // A warning does not make the skin bad (a font that is not installed
        // is replaced, a button strip's odd columns are not shown).
        bool bWarning = false;
    };

    // The most pixels a skin bitmap may have.
    static constexpr qint64 kMaxImagePixels = 4096LL * 4096LL;
    // The most bytes all entries of a skin may declare together.
    static constexpr uint64_t kMaxSkinSize = 64u << 20;
    // An entry above this size that compresses better than kMaxRatio to 1
    // is taken for a ZIP bomb.
    static constexpr uint64_t kBombMinimum = 1u << 20;
    static constexpr uint64_t kMaxRatio = 100;

    // Checks the skin at `pszPath`; true when it has no problem but warnings.
    bool Check(const char* pszPath);
    const std::vector<Problem>& Problems() const { return m_problems; }

    // Checks the skin and prints each problem as one line "PLACE: TEXT" on
    // `pOut`; returns the exit code, 0 for a good skin and 1 otherwise.
    static int Run(const char* pszPath, std::FILE* pOut);

private:
    void _CheckEntries();
    void _CheckDocument(const std::string& text);
    void _CheckElement(const QXmlStreamReader& reader, const std::string& window);
    void _CheckControl(const QXmlStreamReader& reader, const std::string& line);
    QSize _CheckImage(const std::string& name, const std::string& line);
    void _CheckBuild(const char* pszPath, const char* pszWindow, const QSize& size);
    void _Add(std::string place, std::string text, bool bWarning = false);

    CSkinArchive m_archive;
    std::vector<Problem> m_problems;
    // Bitmaps already looked at, with their size (empty when unusable).
    std::map<std::string, QSize> m_images;
    std::set<std::string> m_fontNicknames;
    // Font nicknames the controls use, with the place of the first use.
    std::map<std::string, std::string> m_usedNicknames;
    // Window name (lower case) to its minimum size and number of controls.
    std::map<std::string, std::pair<QSize, int>> m_windows;
};
