#include "TestMedia.h"
#include "common/FileStream.h"
#include "filters/ASFCaps.h"
#include "filters/ASFReader.h"

#include <gtest/gtest.h>

namespace {

class ASFCapsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

    ~ASFCapsTest() override
    {
        for (GstCaps* pCaps : {m_pVideoCaps, m_pAudioCaps})
            if (pCaps != nullptr)
                gst_caps_unref(pCaps);
        if (m_pStream != nullptr)
            m_pStream->Release();
    }

    void Open(TestMedia media) { Open(TestMediaPath(media)); }

    void Open(const std::string& path)
    {
        m_pStream = new CFileStream();
        ASSERT_EQ(m_pStream->Init(path.c_str()), S_OK);
        ASSERT_EQ(m_reader.Init(m_pStream), S_OK);
        m_pVideoCaps = CapsForASFType(*m_reader.GetVideoMediaType());
        m_pAudioCaps = CapsForASFType(*m_reader.GetAudioMediaType());
        ASSERT_NE(m_pVideoCaps, nullptr);
        ASSERT_NE(m_pAudioCaps, nullptr);
    }

    static const GstStructure* Structure(GstCaps* pCaps) { return gst_caps_get_structure(pCaps, 0); }

    static int IntField(GstCaps* pCaps, const char* pszField)
    {
        int value = -1;
        gst_structure_get_int(Structure(pCaps), pszField, &value);
        return value;
    }

    // Whether some decoder of the platform takes the caps, as decodebin needs.
    static bool Decodable(GstCaps* pCaps)
    {
        GList* pDecoders = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL);
        GList* pTaking = gst_element_factory_list_filter(pDecoders, pCaps, GST_PAD_SINK, FALSE);
        bool fTaken = pTaking != nullptr;
        gst_plugin_feature_list_free(pTaking);
        gst_plugin_feature_list_free(pDecoders);
        return fTaken;
    }

    CStream* m_pStream = nullptr;
    CASFReader m_reader;
    GstCaps* m_pVideoCaps = nullptr;
    GstCaps* m_pAudioCaps = nullptr;
};

TEST_F(ASFCapsTest, WindowsMediaVideoAndAudioCarryTheirCodecData)
{
    Open(TestMedia::Wmv);
    EXPECT_STREQ(gst_structure_get_name(Structure(m_pVideoCaps)), "video/x-wmv");
    EXPECT_EQ(IntField(m_pVideoCaps, "wmvversion"), 2);
    EXPECT_EQ(IntField(m_pVideoCaps, "width"), 320);
    EXPECT_EQ(IntField(m_pVideoCaps, "height"), 240);
    EXPECT_TRUE(gst_structure_has_field(Structure(m_pVideoCaps), "codec_data"));
    EXPECT_TRUE(Decodable(m_pVideoCaps));

    EXPECT_STREQ(gst_structure_get_name(Structure(m_pAudioCaps)), "audio/x-wma");
    EXPECT_EQ(IntField(m_pAudioCaps, "wmaversion"), 2);
    EXPECT_EQ(IntField(m_pAudioCaps, "rate"), 44100);
    EXPECT_EQ(IntField(m_pAudioCaps, "channels"), 1);
    EXPECT_EQ(IntField(m_pAudioCaps, "block_align"), reinterpret_cast<const WAVEFORMATEX*>(
                                                         m_reader.GetAudioMediaType()->pbFormat)->nBlockAlign);
    EXPECT_TRUE(gst_structure_has_field(Structure(m_pAudioCaps), "codec_data"));
    EXPECT_TRUE(Decodable(m_pAudioCaps));
}

TEST_F(ASFCapsTest, Mpeg4VideoAndMp3AudioInsideAsf)
{
    Open(TestMedia::AsfMpeg4Mp3);
    EXPECT_STREQ(gst_structure_get_name(Structure(m_pVideoCaps)), "video/x-msmpeg");
    EXPECT_EQ(IntField(m_pVideoCaps, "msmpegversion"), 43);
    EXPECT_TRUE(Decodable(m_pVideoCaps));
    EXPECT_STREQ(gst_structure_get_name(Structure(m_pAudioCaps)), "audio/mpeg");
    EXPECT_EQ(IntField(m_pAudioCaps, "layer"), 3);
    EXPECT_TRUE(Decodable(m_pAudioCaps));
}

// The header's aspect ratio reaches the decoder as the pixels' shape; a file
// that gives none leaves the pixels square.
TEST_F(ASFCapsTest, VideoCarriesThePixelAspectRatioOfTheHeader)
{
    Open(DiscClipPath(TestMedia::Wmv, 352, 288, 16, 11));
    int nParN = 0;
    int nParD = 0;
    ASSERT_TRUE(gst_structure_get_fraction(Structure(m_pVideoCaps), "pixel-aspect-ratio", &nParN, &nParD));
    EXPECT_EQ(nParN * 11, nParD * 16) << nParN << ":" << nParD;
    EXPECT_TRUE(Decodable(m_pVideoCaps));
}

TEST_F(ASFCapsTest, OtherFormatBlocksHaveNoCaps)
{
    WM_MEDIA_TYPE mt{};
    mt.formattype = WMFORMAT_VideoInfo;
    BYTE format[sizeof(VIDEOINFOHEADER)] = {};
    mt.pbFormat = format;
    mt.cbFormat = sizeof(VIDEOINFOHEADER) - 1;
    EXPECT_EQ(CapsForASFType(mt), nullptr);
    mt.formattype = GUID_NULL;
    mt.cbFormat = sizeof format;
    EXPECT_EQ(CapsForASFType(mt), nullptr);
}

} // namespace
