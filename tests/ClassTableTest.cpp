#include "PipelineRunner.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "common/ClassIds.h"
#include "common/Report.h"
#include "common/FilterInterfaces.h"
#include "playback/FilterLibrary.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The library's entry points, looked up as any program would.
class ClassTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadBrelmSourcePlugin();
        m_pModule = ::dlopen(BRELMSOURCE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_pModule, nullptr) << ::dlerror();
        m_pfnGetClassObject = reinterpret_cast<DllGetClassObjectFn>(::dlsym(m_pModule, "DllGetClassObject"));
        m_pfnCanUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(m_pModule, "DllCanUnloadNow"));
        ASSERT_NE(m_pfnGetClassObject, nullptr);
        ASSERT_NE(m_pfnCanUnloadNow, nullptr);
    }

    IClassFactory* ClassObject(REFCLSID clsid)
    {
        IClassFactory* pFactory = nullptr;
        EXPECT_EQ(m_pfnGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory)), S_OK);
        return pFactory;
    }

    void* m_pModule = nullptr;
    DllGetClassObjectFn m_pfnGetClassObject = nullptr;
    DllCanUnloadNowFn m_pfnCanUnloadNow = nullptr;
};

TEST_F(ClassTableTest, ServesClassObjectsOnlyForItsClasses)
{
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_pfnGetClassObject(IID_IStream, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(m_pfnGetClassObject(CLSID_AsyncFileSourceFilter, IID_IStream, &pv), E_NOINTERFACE);
    EXPECT_EQ(m_pfnGetClassObject(CLSID_AsyncFileSourceFilter, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(m_pfnCanUnloadNow(), S_OK);

    IClassFactory* pFactory = ClassObject(CLSID_AsyncFileSourceFilter);
    ASSERT_NE(pFactory, nullptr);
    EXPECT_EQ(m_pfnCanUnloadNow(), S_FALSE);
    EXPECT_EQ(pFactory->LockServer(1), S_OK);
    pFactory->Release();
    EXPECT_EQ(m_pfnCanUnloadNow(), S_FALSE);
    pFactory = ClassObject(CLSID_AsyncFileSourceFilter);
    pFactory->LockServer(0);
    pFactory->Release();
    EXPECT_EQ(m_pfnCanUnloadNow(), S_OK);
}

TEST_F(ClassTableTest, TheClassObjectCreatesAnElementThatLoadsItsFile)
{
    IClassFactory* pFactory = ClassObject(CLSID_AsyncFileSourceFilter);
    IFileSourceFilter* pSource = nullptr;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IFileSourceFilter, reinterpret_cast<void**>(&pSource)), S_OK);
    pFactory->Release();
    std::string path = TestMediaPath(TestMedia::Mp3);
    EXPECT_EQ(pSource->Load(path.c_str(), nullptr), S_OK);
    EXPECT_EQ(m_pfnCanUnloadNow(), S_FALSE);

    IBaseFilter* pFilter = nullptr;
    ASSERT_EQ(pSource->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&pFilter)), S_OK);
    pSource->Release();
    EXPECT_EQ(pFilter->GetPinCount(), 1);
    GstElement* pElement = pFilter->GetElement();
    EXPECT_STREQ(G_OBJECT_TYPE_NAME(pElement), "BrelmAsyncFileSrc");
    EXPECT_EQ(GST_OBJECT_REFCOUNT_VALUE(pElement), 1);
    pFilter->Release();
    EXPECT_EQ(m_pfnCanUnloadNow(), S_OK);
}

TEST_F(ClassTableTest, CreateInstanceChecksItsArguments)
{
    IClassFactory* pFactory = ClassObject(CLSID_AsyncFileSourceFilter);
    void* pv = nullptr;
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IBaseFilter, nullptr), E_POINTER);
    EXPECT_EQ(pFactory->CreateInstance(pFactory, IID_IBaseFilter, &pv), E_NOINTERFACE);
    EXPECT_EQ(pFactory->CreateInstance(pFactory, IID_IUnknown, &pv), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IStream, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    pFactory->Release();
    EXPECT_EQ(m_pfnCanUnloadNow(), S_OK);
}

TEST_F(ClassTableTest, TheAsfRowCreatesTheAsfSource)
{
    IClassFactory* pFactory = ClassObject(CLSID_ASFSourceFilter);
    ASSERT_NE(pFactory, nullptr);
    IBaseFilter* pFilter = nullptr;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&pFilter)), S_OK);
    pFactory->Release();
    EXPECT_STREQ(G_OBJECT_TYPE_NAME(pFilter->GetElement()), "BrelmASFSrc");
    // Its pins and their pads come with the file.
    EXPECT_EQ(pFilter->GetPinCount(), 0);
    EXPECT_EQ(pFilter->GetElement()->numsrcpads, 0);
    EXPECT_EQ(pFilter->Release(), 0u);
    EXPECT_EQ(m_pfnCanUnloadNow(), S_OK);
}

TEST_F(ClassTableTest, TheFactoryHasTheRankAndPadsOfItsEntry)
{
    GstElementFactory* pFactory = gst_element_factory_find("brelmasyncfilesrc");
    ASSERT_NE(pFactory, nullptr);
    // Below every stock element, so that nothing picks it by accident.
    EXPECT_EQ(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(pFactory)), static_cast<guint>(GST_RANK_NONE));
    EXPECT_STREQ(gst_element_factory_get_metadata(pFactory, GST_ELEMENT_METADATA_LONGNAME),
                 "Brelm Async File Source Filter");
    const GList* pTemplates = gst_element_factory_get_static_pad_templates(pFactory);
    ASSERT_EQ(g_list_length(const_cast<GList*>(pTemplates)), 1u);
    auto* pTemplate = static_cast<GstStaticPadTemplate*>(pTemplates->data);
    EXPECT_STREQ(pTemplate->name_template, "src");
    EXPECT_EQ(pTemplate->direction, GST_PAD_SRC);
    EXPECT_STREQ(pTemplate->static_caps.string, "ANY");
    gst_object_unref(pFactory);
}

TEST(FilterLibraryTest, FindsTheLibraryInTheBuildTreeAndCreatesFilters)
{
    LoadBrelmSourcePlugin();
    // The player looks beside itself, as the program built in this tree does.
    std::string programDir = std::filesystem::path(KORVOPLAYER_PATH).parent_path().string();
    CFilterLibrary library(programDir);
    GstElement* pElement = nullptr;
    ASSERT_EQ(library.CreateFilter(CLSID_AsyncFileSourceFilter, &pElement), S_OK);
    EXPECT_EQ(library.Path(), BRELMSOURCE_PATH);
    g_object_set(pElement, "location", TestMediaPath(TestMedia::Avi).c_str(), nullptr);
    CPipelineRunner runner(pElement, PullOrPush::Pull);
    EXPECT_TRUE(runner.Play().isEndOfStream);
    IBaseFilter* pFilter = nullptr;
    ASSERT_EQ(library.CreateFilter(CLSID_ASFSourceFilter, &pFilter), S_OK);
    IFileSourceFilter* pFileSource = nullptr;
    ASSERT_EQ(pFilter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&pFileSource)), S_OK);
    EXPECT_EQ(pFileSource->Load(TestMediaPath(TestMedia::Wmv).c_str(), nullptr), S_OK);
    pFileSource->Release();
    GstPad* pVideoPad = gst_element_get_static_pad(pFilter->GetElement(), "video");
    EXPECT_NE(pVideoPad, nullptr);
    gst_clear_object(&pVideoPad);
    pFilter->Release();
}

TEST(FilterLibraryTest, FindsTheLibraryInTheInstalledTree)
{
    CTempDir prefix;
    std::filesystem::create_directories(prefix.Path() + "/bin");
    std::filesystem::create_directories(prefix.Path() + "/lib/korvoplayer");
    std::filesystem::create_symlink(BRELMSOURCE_PATH, prefix.Path() + "/lib/korvoplayer/libBrelmSource.so");
    CFilterLibrary library(prefix.Path() + "/bin");
    GstElement* pElement = nullptr;
    ASSERT_EQ(library.CreateFilter(CLSID_AsyncFileSourceFilter, &pElement), S_OK);
    EXPECT_EQ(library.Path(), prefix.Path() + "/lib/korvoplayer/libBrelmSource.so");
    gst_object_unref(pElement);
}

TEST(FilterLibraryTest, AMissingLibraryIsReported)
{
    CTempDir empty;
    CFilterLibrary library(empty.Path());
    GstElement* pElement = nullptr;
    EXPECT_EQ(library.CreateFilter(CLSID_AsyncFileSourceFilter, &pElement), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LastReport(), "Message\t: Can not find libBrelmSource.so beside " + empty.Path() +
                                "\nReason\t: The specified module could not be found.\nCode\t: 126(0x0000007E)");
}

} // namespace
