// Loading subtitle files: our loader (decode, detect, parse, build the track)
// against GStreamer's subparse taking the same file to its end, on files the
// benchmark writes: a SubRip file of 100 000 cues in UTF-8 and a two-language
// SAMI file of 20 000 syncs in CP949. Prints the median wall time of each
// over the rounds and the ratio ours / subparse.
//
//   subtitle_parse DIR [ROUNDS]

#include "common/Report.h"
#include "subtitles/SubtitleLoader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gst/gst.h>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string Clock3(size_t ms, char separator)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%02zu:%02zu:%02zu%c%03zu", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, separator,
                  ms % 1000);
    return sz;
}

std::string SubRip(size_t cCues)
{
    std::string s;
    for (size_t i = 0; i < cCues; ++i) {
        s += std::to_string(i + 1) + "\n" + Clock3(i * 1000, ',') + " --> " + Clock3(i * 1000 + 900, ',') +
             "\nLine <i>number</i> " + std::to_string(i) + "\nand a second line\n\n";
    }
    return s;
}

// "한국어 자막" in CP949 bytes, the second class in English.
std::string Sami(size_t cSyncs)
{
    const std::string sKorean = "\xC7\xD1\xB1\xB9\xBE\xEE \xC0\xDA\xB8\xB7";
    std::string s = "<SAMI><HEAD><STYLE TYPE=\"text/css\"><!--\n.KRCC { Name:Korean; lang:ko-KR; }\n"
                    ".ENCC { Name:English; lang:en-US; }\n--></STYLE></HEAD><BODY>\n";
    for (size_t i = 0; i < cSyncs; ++i) {
        s += "<SYNC Start=" + std::to_string(i * 2000) + "><P Class=KRCC><font color=\"#ffff00\">" + sKorean +
             "</font> " + std::to_string(i) + "<br>" + sKorean + "\n<P Class=ENCC>Subtitle " + std::to_string(i) + "\n";
        s += "<SYNC Start=" + std::to_string(i * 2000 + 1500) + "><P Class=KRCC>&nbsp;<P Class=ENCC>&nbsp;\n";
    }
    return s + "</BODY></SAMI>\n";
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Our load of the file; the number of cues of all tracks in *pcCues.
double OursSeconds(const std::string& sPath, size_t* pcCues)
{
    Clock::time_point start = Clock::now();
    SUBTITLEFILE file;
    if (CSubtitleLoader("ko_KR.UTF-8").LoadFile(sPath, &file) != S_OK)
        std::exit(1);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    *pcCues = 0;
    for (const CSubtitleTrack& track : file.tracks)
        *pcCues += track.Cues().size();
    return seconds;
}

GstPadProbeReturn CountBuffer(GstPad*, GstPadProbeInfo*, gpointer pData)
{
    ++*static_cast<size_t*>(pData);
    return GST_PAD_PROBE_OK;
}

// subparse on the file to its end; the number of text buffers in *pcBuffers.
double PeerSeconds(const std::string& sPath, size_t* pcBuffers)
{
    std::string sLaunch = "filesrc location=\"" + sPath + "\" ! subparse subtitle-encoding=CP949 name=parse ! "
                          "fakesink sync=false";
    GError* pError = nullptr;
    GstElement* pPipeline = gst_parse_launch(sLaunch.c_str(), &pError);
    if (pPipeline == nullptr)
        std::exit(1);
    GstElement* pParse = gst_bin_get_by_name(GST_BIN(pPipeline), "parse");
    GstPad* pPad = gst_element_get_static_pad(pParse, "src");
    *pcBuffers = 0;
    gst_pad_add_probe(pPad, GST_PAD_PROBE_TYPE_BUFFER, CountBuffer, pcBuffers, nullptr);
    Clock::time_point start = Clock::now();
    gst_element_set_state(pPipeline, GST_STATE_PLAYING);
    GstBus* pBus = gst_element_get_bus(pPipeline);
    GstMessage* pMessage = gst_bus_timed_pop_filtered(pBus, GST_CLOCK_TIME_NONE,
                                                      GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    gst_message_unref(pMessage);
    gst_object_unref(pBus);
    gst_object_unref(pPad);
    gst_object_unref(pParse);
    gst_element_set_state(pPipeline, GST_STATE_NULL);
    gst_object_unref(pPipeline);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [ROUNDS]\n", argv[0]);
        return 2;
    }
    gst_init(&argc, &argv);
    SetDebugOutput([](const char*) {});
    const std::filesystem::path dir(argv[1]);
    const int cRounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::filesystem::create_directories(dir);
    const std::vector<std::pair<std::string, std::string>> files = {{"cues.srt", SubRip(100000)},
                                                                     {"cues.smi", Sami(20000)}};
    std::printf("%-10s %10s %8s %12s %8s %8s\n", "file", "ours s", "cues", "subparse s", "buffers", "ratio");
    for (const auto& [sName, sContent] : files) {
        const std::string sPath = (dir / sName).string();
        std::ofstream(sPath, std::ios::binary) << sContent;
        std::vector<double> ours, peer;
        size_t cCues = 0, cBuffers = 0;
        for (int i = 0; i < cRounds; ++i) {
            // Alternate who goes first, so that neither always finds the file cached.
            if (i % 2 == 0) {
                ours.push_back(OursSeconds(sPath, &cCues));
                peer.push_back(PeerSeconds(sPath, &cBuffers));
            } else {
                peer.push_back(PeerSeconds(sPath, &cBuffers));
                ours.push_back(OursSeconds(sPath, &cCues));
            }
        }
        std::printf("%-10s %10.3f %8zu %12.3f %8zu %8.2f\n", sName.c_str(), Median(ours), cCues, Median(peer), cBuffers,
                    Median(ours) / Median(peer));
    }
    return 0;
}
