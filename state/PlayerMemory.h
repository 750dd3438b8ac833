// What the player remembers between runs, in one small file of the user's
// configuration folder ($XDG_CONFIG_HOME/korvoplayer/state.json): the
// volume (a muted player's is 0), the chosen skin and where part-played
// files were left, and whether opening such a file resumes there.
// Nothing is remembered until the player notes it; a missing file means
// the start-up of a first run, and a broken one is ignored with a trace
// (it is replaced at the next save). Saving writes the whole file
// atomically. Used on the user-interface thread only.
#pragma once

#include "ResumeList.h"

#include <filesystem>
#include <optional>
#include <string>

class CPlayerMemory {
public:
    explicit CPlayerMemory(std::filesystem::path file = DefaultFile());

    static std::filesystem::path DefaultFile();

    void Load();
    // False, with a trace, when the file cannot be written.
    bool Save() const;
    // The same without the trace: *pError says why.
    bool Save(std::string* pError) const;

    // 0..100, as the volume control counts.
    std::optional<int> Volume() const { return m_nVolume; }
    void SetVolume(int nVolume);
    // The skin archive or folder chosen; empty for the built-in skin.
    const std::string& Skin() const { return m_skin; }
    void SetSkin(const std::string& skin) { m_skin = skin; }
    // Whether a file left part-way starts where it was left (the default).
    bool ResumeOn() const { return m_bResumeOn; }
    void SetResumeOn(bool bOn) { m_bResumeOn = bOn; }
    CResumeList& Resume() { return m_resume; }
    const CResumeList& Resume() const { return m_resume; }

private:
    bool _Parse(const std::string& text);

    std::filesystem::path m_file;
    std::optional<int> m_nVolume;
    std::string m_skin;
    bool m_bResumeOn = true;
    CResumeList m_resume;
};
