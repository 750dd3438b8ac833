#include "DiscClips.h"

const std::vector<DiscClip>& DiscClips()
{
    static const std::vector<DiscClip> clips = {
        {"AviSquare", TestMedia::Avi, 320, 240, 1, 1, {320, 240}},
        {"AviFourThirds", TestMedia::Avi, 320, 240, 4, 3, {427, 240}},
        {"AviSixteenElevenths", TestMedia::Avi, 352, 288, 16, 11, {512, 288}},
        {"AviThreeQuarters", TestMedia::Avi, 320, 240, 3, 4, {320, 320}},
        {"MpegSquare", TestMedia::MpegProgram, 320, 240, 1, 1, {320, 240}},
        {"MpegFourThirds", TestMedia::MpegProgram, 320, 240, 4, 3, {427, 240}},
        {"MpegSixteenElevenths", TestMedia::MpegProgram, 352, 288, 16, 11, {512, 288}},
        {"WmvSquare", TestMedia::Wmv, 320, 240, 1, 1, {320, 240}},
        {"WmvFourThirds", TestMedia::Wmv, 320, 240, 4, 3, {427, 240}},
        {"WmvSixteenElevenths", TestMedia::Wmv, 352, 288, 16, 11, {512, 288}},
    };
    return clips;
}

void PrintTo(const DiscClip& clip, std::ostream* pOut)
{
    *pOut << clip.name;
}
