#include "SubtitleLoader.h"

#include "common/PosixFile.h"
#include "common/Report.h"
#include "MicroDvdParser.h"
#include "SamiParser.h"
#include "SubRipParser.h"
#include "SubStationParser.h"
#include "SubtitleFinder.h"
#include "SubtitleFormatDetector.h"
#include "TextDecoder.h"
#include "WebVttParser.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CDescriptor {
public:
    explicit CDescriptor(int fd) : m_fd(fd) {}
    ~CDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;

    int Get() const { return m_fd; }

private:
    int m_fd;
};

HRESULT OpenError(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return ERROR_FILE_NOT_FOUND;
    return error == EACCES || error == EPERM ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT;
}

size_t SkippedCues(const SUBTITLEFILE& file)
{
    size_t cSkipped = 0;
    for (const CSubtitleTrack& track : file.tracks)
        cSkipped += track.SkippedCues();
    return cSkipped;
}

} // namespace

CSubtitleLoader::CSubtitleLoader(std::string sLocale, double dFrameRate)
    : m_sLocale(std::move(sLocale)), m_dFrameRate(dFrameRate)
{
}

std::unique_ptr<CSubtitleParser> CSubtitleLoader::CreateParser(SubtitleFormat format) const
{
    switch (format) {
    case SubtitleFormat::SubRip: return std::make_unique<CSubRipParser>();
    case SubtitleFormat::Sami: return std::make_unique<CSamiParser>();
    case SubtitleFormat::SubStation: return std::make_unique<CSubStationParser>();
    case SubtitleFormat::WebVtt: return std::make_unique<CWebVttParser>();
    case SubtitleFormat::MicroDvd: return std::make_unique<CMicroDvdParser>(m_dFrameRate);
    case SubtitleFormat::Unknown: break;
    }
    return nullptr;
}

HRESULT CSubtitleLoader::LoadBytes(std::string_view sBytes, std::string_view sExtension, SUBTITLEFILE* pFile) const
{
    std::string sText;
    CTextDecoder(m_sLocale).Decode(sBytes, &sText, &pFile->sEncoding);
    pFile->format = CSubtitleFormatDetector::Detect(sText, sExtension);
    pFile->tracks.clear();
    std::unique_ptr<CSubtitleParser> pParser = CreateParser(pFile->format);
    if (pParser != nullptr)
        pParser->Parse(sText, &pFile->tracks);
    for (const CSubtitleTrack& track : pFile->tracks) {
        if (!track.Cues().empty()) {
            Trace("Subtitles %s: %s in %s, %zu tracks, %zu cues skipped", pFile->sPath.c_str(),
                  SubtitleFormatName(pFile->format), pFile->sEncoding.c_str(), pFile->tracks.size(),
                  SkippedCues(*pFile));
            return S_OK;
        }
    }
    pFile->tracks.clear();
    return ReportError(ERROR_INVALID_DATA, "No subtitle cue could be read from %s (%s, %s)", pFile->sPath.c_str(),
                       SubtitleFormatName(pFile->format), pFile->sEncoding.c_str());
}

HRESULT CSubtitleLoader::LoadFile(const std::string& sPath, SUBTITLEFILE* pFile) const
{
    std::string sBytes;
    pFile->sPath = sPath;
    pFile->tracks.clear();
    HRESULT hr = _ReadFile(sPath, &sBytes);
    if (hr != S_OK)
        return TraceFrom(hr, "CSubtitleLoader::LoadFile()");
    std::string sExtension = std::filesystem::path(sPath).extension().string();
    if (!sExtension.empty())
        sExtension.erase(0, 1);
    return TraceFrom(LoadBytes(sBytes, sExtension, pFile), "CSubtitleLoader::LoadFile()");
}

HRESULT CSubtitleLoader::_ReadFile(const std::string& sPath, std::string* pBytes) const
{
    CDescriptor fd(OpenForReading(sPath.c_str()));
    struct stat st {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0) {
        int error = errno;
        return ReportError(OpenError(error), "Cannot open the subtitle file %s (errno %d)", sPath.c_str(), error);
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) {
        return ReportError(ERROR_INVALID_DATA, "The subtitle file %s is larger than %zu bytes", sPath.c_str(),
                           kMaxFileBytes);
    }
    // One byte more than allowed tells a file that grew past the bound since.
    pBytes->resize(std::min(static_cast<size_t>(st.st_size), kMaxFileBytes) + 1);
    ssize_t cbRead = ReadFully(fd.Get(), pBytes->data(), pBytes->size());
    if (cbRead < 0) {
        int error = errno;
        return ReportError(ERROR_READ_FAULT, "Cannot read the subtitle file %s (errno %d)", sPath.c_str(), error);
    }
    if (static_cast<size_t>(cbRead) > kMaxFileBytes) {
        return ReportError(ERROR_INVALID_DATA, "The subtitle file %s is larger than %zu bytes", sPath.c_str(),
                           kMaxFileBytes);
    }
    pBytes->resize(static_cast<size_t>(cbRead));
    return S_OK;
}

HRESULT CSubtitleLoader::LoadBeside(const std::string& sVideoPath, SUBTITLEFILE* pFile) const
{
    for (const std::string& sPath : CSubtitleFinder::Find(sVideoPath, CTextDecoder(m_sLocale).Language())) {
        if (LoadFile(sPath, pFile) == S_OK)
            return S_OK;
    }
    return ERROR_NOT_FOUND;
}
