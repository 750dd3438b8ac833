// Rendering a source's outputs: every unlinked output pad is rendered even
// when the source's pads change during the walk, and a failure after a
// rendered pad is that pad's failure, with the earlier pads rendered.
#include "playback/FilterGraph.h"
#include "playback/MediaGraph.h"

#include <gtest/gtest.h>
#include <string>

// A source whose pads the test makes.
struct PadSource {
    GstElement element;
};

struct PadSourceClass {
    GstElementClass parentClass;
};

G_DEFINE_TYPE(PadSource, pad_source, GST_TYPE_ELEMENT)

static void pad_source_class_init(PadSourceClass*) {}

static void pad_source_init(PadSource*) {}

namespace {

GstPad* AddOutput(GstElement* pSource, const std::string& name)
{
    GstPad* pPad = gst_pad_new(name.c_str(), GST_PAD_SRC);
    gst_element_add_pad(pSource, pPad);
    return pPad;
}

GstPadLinkReturn RefuseLink(GstPad*, GstObject*, GstPad*)
{
    return GST_PAD_LINK_REFUSED;
}

// The first link adds another output to the source, as a source that finds
// a stream late does: the walk under way meets a changed set of pads.
GstPadLinkReturn AddOutputOnLink(GstPad* pPad, GstObject* pParent, GstPad*)
{
    AddOutput(GST_ELEMENT(pParent), "late");
    gst_pad_set_link_function(pPad, nullptr);
    return GST_PAD_LINK_OK;
}

class RenderOutputsTest : public ::testing::Test {
protected:
    // Before the graph is made, by the first test or by itself.
    static void SetUpTestSuite() { InitMediaGraph(); }

    void SetUp() override
    {
        m_pSource = GST_ELEMENT(g_object_new(pad_source_get_type(), nullptr));
        ASSERT_EQ(m_graph.AddFilter(m_pSource, "source"), S_OK);
    }

    int LinkedOutputs()
    {
        int nLinked = 0;
        for (GList* pItem = m_pSource->srcpads; pItem != nullptr; pItem = pItem->next)
            nLinked += gst_pad_is_linked(GST_PAD(pItem->data)) ? 1 : 0;
        return nLinked;
    }

    CFilterGraph m_graph{0, kVolumeFull};
    GstElement* m_pSource = nullptr;
};

TEST_F(RenderOutputsTest, PadsAddedDuringTheWalkAreRenderedToo)
{
    gst_pad_set_link_function(AddOutput(m_pSource, "first"), AddOutputOnLink);
    AddOutput(m_pSource, "second");
    bool bRendered = false;
    EXPECT_EQ(m_graph.RenderOutputs(m_pSource, &bRendered), S_OK);
    EXPECT_TRUE(bRendered);
    EXPECT_EQ(m_pSource->numsrcpads, 3);
    EXPECT_EQ(LinkedOutputs(), 3);
}

TEST_F(RenderOutputsTest, ALaterOutputsFailureIsItsOwnAfterTheFirstWasRendered)
{
    AddOutput(m_pSource, "first");
    gst_pad_set_link_function(AddOutput(m_pSource, "second"), RefuseLink);
    AddOutput(m_pSource, "third");
    bool bRendered = false;
    EXPECT_EQ(m_graph.RenderOutputs(m_pSource, &bRendered), VFW_E_CANNOT_RENDER);
    EXPECT_TRUE(bRendered);
    // The walk ends at the failure.
    EXPECT_EQ(LinkedOutputs(), 1);
}

TEST_F(RenderOutputsTest, NothingRenderedWhenTheOnlyOutputFailsOrThereIsNone)
{
    bool bRendered = true;
    EXPECT_EQ(m_graph.RenderOutputs(m_pSource, &bRendered), S_OK);
    EXPECT_FALSE(bRendered);
    gst_pad_set_link_function(AddOutput(m_pSource, "only"), RefuseLink);
    EXPECT_EQ(m_graph.RenderOutputs(m_pSource, &bRendered), VFW_E_CANNOT_RENDER);
    EXPECT_FALSE(bRendered);
}

} // namespace
