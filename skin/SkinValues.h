// How the skin document writes its values: decimal integers, colour
// triples, margin quadruples and "yes" flags.
#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>
#include <string>

using COLORREF = uint32_t;

namespace skinvalue {

// Leading decimal digits as the C library reads them; anything else is 0.
int ToInt(const std::string& s);
// "red,green,blue", each cut to 8 bits; fewer than three numbers leave
// *pColor unchanged.
void ToColor(const std::string& s, COLORREF* pColor);
// Up to four comma-separated numbers into pn[0..3]; missing ones stay.
void ToQuad(const std::string& s, int* pn);
bool IsYes(const std::string& s);
bool EqualNoCase(const std::string& a, const char* b);

QColor ToQColor(COLORREF color);
// The image with every pixel of the key colour made fully transparent:
// colour keying done once when an image is loaded.
QImage KeyedImage(const QImage& image, COLORREF key);

} // namespace skinvalue
