#include "SkinChecker.h"

#include "KorvoUIManager.h"
#include "skin/SkinItem.h"
#include "skin/SkinValues.h"
#include "common/Report.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QImageReader>
#include <QWidget>
#include <QXmlStreamReader>
#include <cstdio>

namespace {

constexpr const char* kDocumentName = "skin.xml";
constexpr const char* kWindowNames[] = {"korvoplayer", "korvoplaylist"};

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

std::string Attribute(const QXmlStreamReader& reader, const char* pszName)
{
    // Attribute names are matched without regard to case, as the skin engine does.
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        if (attribute.name().compare(QLatin1StringView(pszName), Qt::CaseInsensitive) == 0)
            return attribute.value().toString().toStdString();
    }
    return "";
}

std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

// The minimum size "W,H" with both positive, or an empty size.
QSize MinimumSize(const std::string& value)
{
    int cx = 0;
    int cy = 0;
    if (std::sscanf(value.c_str(), "%d,%d", &cx, &cy) == 2 && cx >= 1 && cy >= 1)
        return QSize(cx, cy);
    return QSize();
}

} // namespace

bool CSkinChecker::Check(const char* pszPath)
{
    m_problems.clear();
    m_images.clear();
    m_fontNicknames.clear();
    m_usedNicknames.clear();
    m_windows.clear();
    // The problems are the report: the skin manager's own reports and traces
    // would only repeat them.
    DebugOutputSink previous = SetDebugOutput([](const char*) {});
    if (m_archive.Open(pszPath) != S_OK) {
        _Add(pszPath, "is neither a skin archive (ZIP) nor a folder");
    } else {
        _CheckEntries();
        std::string text;
        const int64_t nIndex = m_archive.Locate(kDocumentName);
        if (nIndex < 0)
            _Add(pszPath, "has no skin.xml");
        else if (m_archive.Read(nIndex, &text) != S_OK)
            _Add(kDocumentName, "cannot be read");
        else
            _CheckDocument(text);
    }
    m_archive.Close();
    if (m_problems.empty()) {
        for (const char* pszWindow : kWindowNames)
            _CheckBuild(pszPath, pszWindow, m_windows[pszWindow].first);
    }
    SetDebugOutput(previous);
    for (const Problem& problem : m_problems) {
        if (!problem.bWarning)
            return false;
    }
    return true;
}

int CSkinChecker::Run(const char* pszPath, std::FILE* pOut)
{
    CSkinChecker checker;
    const bool bGood = checker.Check(pszPath);
    for (const Problem& problem : checker.Problems())
        std::fprintf(pOut, "%s: %s%s\n", problem.sPlace.c_str(), problem.bWarning ? "warning: " : "",
                     problem.sText.c_str());
    return bGood ? 0 : 1;
}

void CSkinChecker::_CheckEntries()
{
    uint64_t cbTotal = 0;
    for (int64_t i = 0; i < m_archive.Count(); ++i) {
        const std::string name = m_archive.Name(i);
        // A folder's own entry (as "zip -r" writes one) holds nothing and is
        // never extracted.
        if (name.size() > 1 && name.back() == '/' && CSkinArchive::IsSafeEntryName(name.substr(0, name.size() - 1)))
            continue;
        if (!CSkinArchive::IsSafeEntryName(name))
            _Add(name, "the name is absolute or leaves the skin's folder");
        uint64_t cbSize = 0;
        uint64_t cbStored = 0;
        if (!m_archive.Sizes(i, &cbSize, &cbStored)) {
            _Add(name, "the archive does not say its size");
            continue;
        }
        cbTotal += cbSize;
        if (cbSize > CSkinArchive::kMaxEntrySize)
            _Add(name, std::to_string(cbSize) + " bytes, more than the " +
                           std::to_string(CSkinArchive::kMaxEntrySize) + " an entry may have");
        else if (cbSize > kBombMinimum && cbSize / std::max<uint64_t>(cbStored, 1) > kMaxRatio)
            _Add(name, "packed " + std::to_string(cbSize / std::max<uint64_t>(cbStored, 1)) +
                           " to 1, a ZIP bomb");
    }
    if (cbTotal > kMaxSkinSize)
        _Add(m_archive.Name(0), "the entries hold " + std::to_string(cbTotal) + " bytes together, more than " +
                                    std::to_string(kMaxSkinSize));
}

void CSkinChecker::_CheckDocument(const std::string& text)
{
    QXmlStreamReader reader(QByteArray::fromStdString(text));
    std::string window;
    int nDepth = 0;
    int nWindowDepth = -1;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++nDepth;
            if (reader.name().compare(QLatin1StringView("window"), Qt::CaseInsensitive) == 0) {
                window = Lower(Attribute(reader, "name"));
                nWindowDepth = nDepth;
            }
            _CheckElement(reader, window);
        } else if (token == QXmlStreamReader::EndElement) {
            if (nDepth-- == nWindowDepth)
                window.clear();
        }
    }
    if (reader.hasError()) {
        _Add(std::string(kDocumentName) + ":" + std::to_string(reader.lineNumber()),
             "malformed XML: " + reader.errorString().toStdString());
        return;
    }
    for (const char* pszWindow : kWindowNames) {
        auto it = m_windows.find(pszWindow);
        if (it == m_windows.end())
            _Add(kDocumentName, "there is no window " + Quoted(pszWindow));
        else if (it->second.second == 0)
            _Add(kDocumentName, "the window " + Quoted(pszWindow) + " has no control");
    }
    for (const auto& [nickname, place] : m_usedNicknames) {
        if (m_fontNicknames.count(nickname) == 0)
            _Add(place, "no font has the nickname " + Quoted(nickname));
    }
}

void CSkinChecker::_CheckElement(const QXmlStreamReader& reader, const std::string& window)
{
    const std::string line = std::string(kDocumentName) + ":" + std::to_string(reader.lineNumber());
    const QStringView name = reader.name();
    if (name.compare(QLatin1StringView("window"), Qt::CaseInsensitive) == 0) {
        const QSize minimum = MinimumSize(Attribute(reader, "minsize"));
        if (minimum.isEmpty())
            _Add(line, "the window needs minsize=\"WIDTH,HEIGHT\", both above 0");
        m_windows.emplace(window, std::make_pair(minimum, 0));
    } else if (name.compare(QLatin1StringView("font"), Qt::CaseInsensitive) == 0) {
        const std::string nickname = Attribute(reader, "nickname");
        const std::string face = Attribute(reader, "fontname");
        if (nickname.empty() || face.empty() || skinvalue::ToInt(Attribute(reader, "height")) < 1) {
            _Add(line, "a font needs nickname, fontname and a height above 0; this one is skipped", true);
            return;
        }
        m_fontNicknames.insert(nickname);
        if (!QFontDatabase::hasFamily(QString::fromStdString(face)))
            _Add(line, "the font " + Quoted(face) + " is not installed; another face takes its place", true);
    } else if (name.compare(QLatin1StringView("control"), Qt::CaseInsensitive) == 0) {
        if (auto it = m_windows.find(window); it != m_windows.end())
            ++it->second.second;
        _CheckControl(reader, line);
    }
}

void CSkinChecker::_CheckControl(const QXmlStreamReader& reader, const std::string& line)
{
    const std::string cls = Attribute(reader, "class");
    const bool bButton = skinvalue::EqualNoCase(cls, "button");
    const bool bSlider = skinvalue::EqualNoCase(cls, "slider");
    if (!bButton && !bSlider && !skinvalue::EqualNoCase(cls, "static"))
        _Add(line, "the class " + Quoted(cls) + " is none of static, button and slider");
    const std::string nickname = Attribute(reader, "fontnickname");
    if (!nickname.empty())
        m_usedNicknames.emplace(nickname, line);
    QSize sizes[SKINIMAGE_COUNT];
    for (int slot = 0; slot < SKINIMAGE_COUNT; ++slot) {
        const std::string bitmap = Attribute(reader, g_skinImageAttributes[slot]);
        if (!bitmap.empty())
            sizes[slot] = _CheckImage(bitmap, line);
    }
    const QSize& base = sizes[SKINIMAGE_ONSETFOCUS];
    if (skinvalue::EqualNoCase(Attribute(reader, "type"), "bitmap") && Attribute(reader, "onsetfocus").empty())
        _Add(line, "a bitmap static needs an onsetfocus bitmap");
    if (bButton && base.isValid() && base.width() % 4 != 0)
        _Add(line,
             "a button's bitmap holds four frames side by side: its width " + std::to_string(base.width()) +
                 " is not a multiple of 4, so its last " + std::to_string(base.width() % 4) + " columns never show",
             true);
    const QSize& fill = sizes[SKINIMAGE_IMAGEFILL];
    const QSize& empty = sizes[SKINIMAGE_IMAGEEMPTY];
    if (bSlider && fill.isValid() && empty.isValid() && fill != empty)
        _Add(line, "a slider's imagefill and imageempty must have the same size");
    int fixed[4] = {0, 0, 0, 0};
    skinvalue::ToQuad(Attribute(reader, "fixedsize"), fixed);
    if (base.isValid() && (fixed[0] + fixed[2] > base.width() || fixed[1] + fixed[3] > base.height()))
        _Add(line, "the fixedsize edges are larger than the bitmap");
}

QSize CSkinChecker::_CheckImage(const std::string& name, const std::string& line)
{
    if (auto it = m_images.find(name); it != m_images.end())
        return it->second;
    QSize& size = m_images[name];
    const int64_t nIndex = m_archive.Locate(name.c_str());
    std::string data;
    if (nIndex < 0) {
        _Add(line, "the bitmap " + Quoted(name) + " is not in the skin");
        return size;
    }
    if (m_archive.Read(nIndex, &data) != S_OK) {
        _Add(name, "cannot be read");
        return size;
    }
    QByteArray bytes = QByteArray::fromStdString(data);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize declared = reader.size();
    if (!reader.canRead() || !declared.isValid()) {
        _Add(name, "is not an image of a format the player reads (PNG, BMP, GIF, JPEG)");
    } else if (static_cast<qint64>(declared.width()) * declared.height() > kMaxImagePixels) {
        _Add(name, std::to_string(declared.width()) + " x " + std::to_string(declared.height()) +
                       " pixels, more than the " + std::to_string(kMaxImagePixels) + " a bitmap may have");
    } else if (QImage image = reader.read(); image.isNull()) {
        _Add(name, "cannot be decoded: " + reader.errorString().toStdString());
    } else {
        size = image.size();
    }
    return size;
}

void CSkinChecker::_CheckBuild(const char* pszPath, const char* pszWindow, const QSize& size)
{
    // The window is never shown: its controls are built, laid out at the
    // minimum size and drawn into a picture.
    QWidget window;
    window.resize(size);
    CKorvoUIManager manager;
    if (manager.Init(&window, pszWindow, pszPath) != S_OK) {
        _Add(pszPath, "the window " + Quoted(pszWindow) + " does not build: " + LastReport());
        return;
    }
    manager.Dock(0);
    manager.Paint();
}

void CSkinChecker::_Add(std::string place, std::string text, bool bWarning)
{
    m_problems.push_back({std::move(place), std::move(text), bWarning});
}
