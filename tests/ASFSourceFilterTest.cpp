// The ASF source driven directly, without a pipeline: its pins, the stamps
// of its samples, the restart of the shared reader, stop and end of stream.
#include "DebugCapture.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "UnusableAsfFiles.h"
#include "common/Report.h"
#include "common/FileStream.h"
#include "filters/ASFSourceFilter.h"
#include "filters/BrelmASFSrc.h"

#include <atomic>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

bool HasLine(const CDebugCapture& capture, const std::string& text)
{
    for (const std::string& line : capture.Lines()) {
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

// One sample read through a pin, as FillBuffer left it.
struct PinSample {
    HRESULT hr = E_FAIL;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    LONGLONG mediaStart = 0;
    LONGLONG mediaEnd = 0;
    bool isPreroll = false;
};

class ASFSourceFilterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        gst_init(nullptr, nullptr);
        // What the library does when it is loaded.
        RegisterStreamKind(new CFileStream());
    }

    static void TearDownTestSuite() { ReleaseStreamKinds(); }

    void SetUp() override
    {
        m_pElement = static_cast<GstElement*>(gst_object_ref_sink(g_object_new(brelm_asf_src_get_type(), nullptr)));
        m_pFilter = ASFSourceFilterOf(m_pElement);
    }

    void TearDown() override
    {
        gst_element_set_state(m_pElement, GST_STATE_NULL);
        gst_object_unref(m_pElement);
    }

    HRESULT Load(TestMedia media) { return m_pFilter->Load(TestMediaPath(media).c_str(), nullptr); }

    CASFSourceFilterOutputPin* Pin(int n) { return m_pFilter->GetPin(n); }

    PinSample Fill(int nPin)
    {
        PinSample result;
        m_buffer.assign(4 * 1024 * 1024, 0);
        auto* pSample = new CBufferSample(m_buffer.data(), static_cast<LONGLONG>(m_buffer.size()));
        result.hr = Pin(nPin)->FillBuffer(pSample);
        pSample->GetTime(&result.start, &result.stop);
        pSample->GetMediaTime(&result.mediaStart, &result.mediaEnd);
        result.isPreroll = pSample->IsPreroll() == S_OK;
        pSample->Release();
        return result;
    }

    void SeekPin(int nPin, LONGLONG llStart)
    {
        ASSERT_EQ(Pin(nPin)->SetPositions(&llStart, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    }

    GstElement* m_pElement = nullptr;
    CASFSourceFilter* m_pFilter = nullptr;
    std::vector<BYTE> m_buffer;
};

TEST_F(ASFSourceFilterTest, PinZeroIsVideoAndPinOneAudio)
{
    ASSERT_EQ(Load(TestMedia::Wmv), S_OK);
    ASSERT_EQ(m_pFilter->GetPinCount(), 2);
    EXPECT_STREQ(Pin(0)->Name(), "Video");
    EXPECT_STREQ(Pin(1)->Name(), "Audio");
    EXPECT_STREQ(Pin(0)->ObjectName(), "Brelm ASF Source Filter Video Ouput Pin");
    EXPECT_STREQ(GST_PAD_NAME(Pin(1)->Pad()), "audio");
    char* pszName = nullptr;
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(m_pFilter->GetCurFile(&pszName, &mt), S_OK);
    EXPECT_EQ(mt.majortype, MEDIATYPE_Video);
    EXPECT_EQ(Pin(0)->CheckMediaType(&mt), S_OK);
    EXPECT_EQ(Pin(1)->CheckMediaType(&mt), S_FALSE);
    CoTaskMemFree(pszName);
    DWORD dwCaps = 0;
    Pin(1)->GetCapabilities(&dwCaps);
    EXPECT_EQ(dwCaps, 0x37u);
}

// The element's pads follow the pins: no pad before a file, one pad for a
// single-stream file, and a later file replaces them.
TEST_F(ASFSourceFilterTest, AFileWithOneStreamHasOnePinAndOnePad)
{
    EXPECT_EQ(m_pElement->numsrcpads, 0);
    ASSERT_EQ(Load(TestMedia::WmvAudioOnly), S_OK);
    ASSERT_EQ(m_pFilter->GetPinCount(), 1);
    EXPECT_STREQ(Pin(0)->Name(), "Audio");
    EXPECT_EQ(Pin(1), nullptr);
    EXPECT_EQ(m_pElement->numsrcpads, 1);
    EXPECT_STREQ(GST_PAD_NAME(Pin(0)->Pad()), "audio");
    char* pszName = nullptr;
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(m_pFilter->GetCurFile(&pszName, &mt), S_OK);
    EXPECT_EQ(mt.majortype, MEDIATYPE_Audio);
    CoTaskMemFree(pszName);
    EXPECT_EQ(Fill(0).hr, S_OK);

    ASSERT_EQ(Load(TestMedia::WmvVideoOnly), S_OK);
    ASSERT_EQ(m_pFilter->GetPinCount(), 1);
    EXPECT_STREQ(Pin(0)->Name(), "Video");
    EXPECT_EQ(m_pElement->numsrcpads, 1);
    GstPad* pVideo = gst_element_get_static_pad(m_pElement, "video");
    EXPECT_EQ(pVideo, Pin(0)->Pad());
    gst_clear_object(&pVideo);
    EXPECT_EQ(Fill(0).hr, S_OK);

    ASSERT_EQ(Load(TestMedia::Wmv), S_OK);
    EXPECT_EQ(m_pElement->numsrcpads, 2);
}

TEST_F(ASFSourceFilterTest, AFileThatIsNotASFFailsToLoad)
{
    CDebugCapture capture;
    EXPECT_NE(Load(TestMedia::Mp3), S_OK);
    EXPECT_EQ(m_pFilter->GetPinCount(), 0);
    EXPECT_EQ(m_pElement->numsrcpads, 0);
    EXPECT_TRUE(HasLine(capture, "from CASFSourceFilter::Load()"));
    // The element then refuses to start, with the load's report.
    EXPECT_EQ(gst_element_set_state(m_pElement, GST_STATE_PAUSED), GST_STATE_CHANGE_FAILURE);
}

TEST_F(ASFSourceFilterTest, TheStubInterfacesServeNothing)
{
    IServiceProvider* pProvider = nullptr;
    ASSERT_EQ(m_pFilter->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&pProvider)), S_OK);
    void* pv = &pv;
    EXPECT_EQ(pProvider->QueryService(IID_IUnknown, IID_IUnknown, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    pProvider->Release();
    IWMHeaderInfo* pHeader = nullptr;
    ASSERT_EQ(m_pFilter->QueryInterface(IID_IWMHeaderInfo, reinterpret_cast<void**>(&pHeader)), S_OK);
    WORD cAttributes = 0;
    EXPECT_EQ(pHeader->GetAttributeCount(0, &cAttributes), E_NOTIMPL);
    pHeader->Release();
    IWMReaderAdvanced2* pAdvanced = nullptr;
    ASSERT_EQ(m_pFilter->QueryInterface(IID_IWMReaderAdvanced2, reinterpret_cast<void**>(&pAdvanced)), S_OK);
    EXPECT_EQ(pAdvanced->SetUserProvidedClock(TRUE), E_NOTIMPL);
    pAdvanced->Release();
}

// Stamps are (sample time - start) / rate, and a sample that ends before
// the start is preroll.
TEST_F(ASFSourceFilterTest, StampsSamplesFromTheStartAtTheRate)
{
    ASSERT_EQ(Load(TestMedia::Wmv20s), S_OK);
    constexpr LONGLONG kStart = 10000000;
    for (double dRate : {1.0, 2.0}) {
        SCOPED_TRACE(dRate);
        ASSERT_EQ(Pin(0)->SetRate(dRate), S_OK);
        SeekPin(0, kStart);
        bool sawPreroll = false;
        bool sawShown = false;
        for (int i = 0; i < 40; ++i) {
            PinSample sample = Fill(0);
            ASSERT_EQ(sample.hr, S_OK);
            EXPECT_EQ(sample.start, static_cast<REFERENCE_TIME>((sample.mediaStart - kStart) / dRate));
            EXPECT_EQ(sample.stop, static_cast<REFERENCE_TIME>((sample.mediaEnd - kStart) / dRate));
            EXPECT_EQ(sample.isPreroll, sample.stop < 0);
            sawPreroll |= sample.isPreroll;
            sawShown |= !sample.isPreroll;
        }
        // The reader restarts at the key frame before the start.
        EXPECT_TRUE(sawPreroll);
        EXPECT_TRUE(sawShown);
    }
}

TEST_F(ASFSourceFilterTest, ASampleLargerThanTheBufferIsRefused)
{
    ASSERT_EQ(Load(TestMedia::Wmv), S_OK);
    std::vector<BYTE> buffer(64, 0xAB);
    auto* pSample = new CBufferSample(buffer.data(), 8);
    CDebugCapture capture;
    EXPECT_EQ(Pin(0)->FillBuffer(pSample), ERROR_INSUFFICIENT_BUFFER);
    pSample->Release();
    for (size_t i = 8; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], 0xAB) << "written past the buffer at " << i;
    EXPECT_TRUE(HasLine(capture, "from CASFSourceFilterVideoOutputPin::FillBuffer()"));
    EXPECT_EQ(Pin(1)->FillBuffer(nullptr), ERROR_INVALID_PARAMETER);
}

// The first pin to report a start restarts the reader; the other pin's
// report of the same start leaves it reading on.
TEST_F(ASFSourceFilterTest, BothPinsReportingOneStartRestartTheReaderOnce)
{
    ASSERT_EQ(Load(TestMedia::Wmv20s), S_OK);
    SeekPin(0, 100000000);
    LONGLONG llFirst = Fill(0).mediaStart;
    LONGLONG llThird = 0;
    for (int i = 0; i < 2; ++i)
        llThird = Fill(0).mediaStart;
    ASSERT_GT(llThird, llFirst);
    SeekPin(1, 100000000);
    EXPECT_GT(Fill(0).mediaStart, llThird);
    // The same pin reporting the same start again restarts it.
    SeekPin(0, 100000000);
    EXPECT_EQ(Fill(0).mediaStart, llFirst);
}

TEST_F(ASFSourceFilterTest, AfterStopTheNextRunReadsFromTheStart)
{
    ASSERT_EQ(Load(TestMedia::Wmv), S_OK);
    LONGLONG llFirst = Fill(0).mediaStart;
    for (int i = 0; i < 10; ++i)
        Fill(0);
    Fill(1);
    ASSERT_EQ(gst_element_set_state(m_pElement, GST_STATE_PAUSED), GST_STATE_CHANGE_SUCCESS);
    ASSERT_EQ(gst_element_set_state(m_pElement, GST_STATE_READY), GST_STATE_CHANGE_SUCCESS);
    EXPECT_EQ(Fill(0).mediaStart, llFirst);
}

TEST_F(ASFSourceFilterTest, EachPinEndsItsStreamWithFalse)
{
    ASSERT_EQ(Load(TestMedia::Wmv), S_OK);
    for (int nPin : {0, 1}) {
        int cSamples = 0;
        PinSample sample;
        while ((sample = Fill(nPin)).hr == S_OK)
            ++cSamples;
        EXPECT_EQ(sample.hr, S_FALSE);
        EXPECT_GT(cSamples, 10);
        EXPECT_EQ(Fill(nPin).hr, S_FALSE);
    }
}

TEST_F(ASFSourceFilterTest, SeekingPastTheEndEndsTheStreams)
{
    ASSERT_EQ(Load(TestMedia::Wmv), S_OK);
    SeekPin(0, 600000000);
    SeekPin(1, 600000000);
    // At most the last key frame's group comes, all of it before the start.
    for (int nPin : {0, 1}) {
        PinSample sample;
        int cSamples = 0;
        while ((sample = Fill(nPin)).hr == S_OK && cSamples < 1000) {
            EXPECT_TRUE(sample.isPreroll);
            ++cSamples;
        }
        EXPECT_EQ(sample.hr, S_FALSE);
    }
}

// Each pad fails on its own streaming thread with the report that thread
// made, while other threads (the other pad, the player) report meanwhile:
// the failure names the same pad in its message and in its debug text.
TEST_F(ASFSourceFilterTest, EachFailingPadCarriesItsOwnReport)
{
    CTempDir dir;
    const std::string path = FilesWithoutUsableData(dir).back();
    CDebugCapture quiet;
    std::atomic<bool> bDone = false;
    std::thread other([&] {
        while (!bDone)
            ReportError(ERROR_INVALID_DATA, "another thread's report");
    });
    for (int i = 0; i < 20; ++i) {
        GstElement* pPipeline = gst_pipeline_new(nullptr);
        GstElement* pSource = GST_ELEMENT(g_object_new(brelm_asf_src_get_type(), "location", path.c_str(), nullptr));
        gst_bin_add(GST_BIN(pPipeline), pSource);
        g_signal_connect(pSource, "pad-added", G_CALLBACK(+[](GstElement* pElement, GstPad* pPad, gpointer) {
                             GstElement* pSink = gst_element_factory_make("fakesink", nullptr);
                             g_object_set(pSink, "async", FALSE, nullptr);
                             gst_bin_add(GST_BIN(GST_ELEMENT_PARENT(pElement)), pSink);
                             gst_element_sync_state_with_parent(pSink);
                             GstPad* pInput = gst_element_get_static_pad(pSink, "sink");
                             gst_pad_link(pPad, pInput);
                             gst_object_unref(pInput);
                         }),
                         nullptr);
        gst_element_set_state(pPipeline, GST_STATE_PLAYING);
        GstBus* pBus = gst_element_get_bus(pPipeline);
        GstMessage* pMessage = gst_bus_timed_pop_filtered(pBus, 30 * GST_SECOND, GST_MESSAGE_ERROR);
        ASSERT_NE(pMessage, nullptr);
        GError* pError = nullptr;
        gchar* pszDebug = nullptr;
        gst_message_parse_error(pMessage, &pError, &pszDebug);
        const std::string message = pError->message;
        const std::string debug = pszDebug != nullptr ? pszDebug : "";
        g_error_free(pError);
        g_free(pszDebug);
        gst_message_unref(pMessage);
        gst_object_unref(pBus);
        gst_element_set_state(pPipeline, GST_STATE_NULL);
        gst_object_unref(pPipeline);
        const size_t at = message.find("holds no ");
        ASSERT_NE(at, std::string::npos) << message;
        const std::string pad = message.substr(at + 9, message.find(' ', at + 9) - at - 9);
        EXPECT_NE(debug.find("The " + pad + " stream of the file holds no sample"), std::string::npos) << debug;
    }
    bDone = true;
    other.join();
}

} // namespace
