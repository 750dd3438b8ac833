#include "SkinValues.h"

#include "XScan.h"

#include <cstdio>
#include <cstdlib>

namespace skinvalue {

int ToInt(const std::string& s)
{
    return static_cast<int>(std::strtol(s.c_str(), nullptr, 10));
}

void ToColor(const std::string& s, COLORREF* pColor)
{
    unsigned r = 0;
    unsigned g = 0;
    unsigned b = 0;
    if (std::sscanf(s.c_str(), "%u,%u,%u", &r, &g, &b) == 3)
        *pColor = (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

void ToQuad(const std::string& s, int* pn)
{
    std::sscanf(s.c_str(), "%d,%d,%d,%d", &pn[0], &pn[1], &pn[2], &pn[3]);
}

bool IsYes(const std::string& s)
{
    return EqualNoCase(s, "yes");
}

bool EqualNoCase(const std::string& a, const char* b)
{
    return xscan::EqualNoCase(a, b);
}

QColor ToQColor(COLORREF color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QImage KeyedImage(const QImage& image, COLORREF key)
{
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb rgbKey = ToQColor(key).rgb() & 0xFFFFFF;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == rgbKey)
                line[x] = 0;
        }
    }
    return keyed;
}

} // namespace skinvalue
