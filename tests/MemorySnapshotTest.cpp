#include "bench/MemorySnapshot.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kBlockBytes = 64u << 20;
constexpr long kBlockKb = static_cast<long>(kBlockBytes / 1024);
// Other threads of the test program may touch or free a little meanwhile.
constexpr long kSlackKb = 4096;

TEST(MemorySnapshotTest, SeesTouchedAnonymousMemoryAndTheMappingItGrewIn)
{
    const CMemorySnapshot before = CMemorySnapshot::Take();
    void* pBlock = mmap(nullptr, kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pBlock, MAP_FAILED);
    std::memset(pBlock, 1, kBlockBytes);
    const CMemorySnapshot touched = CMemorySnapshot::Take();
    munmap(pBlock, kBlockBytes);
    const CMemorySnapshot after = CMemorySnapshot::Take();

    EXPECT_GT(touched.rssAnonKb - before.rssAnonKb, kBlockKb - kSlackKb);
    EXPECT_GT(touched.rssKb - before.rssKb, kBlockKb - kSlackKb);
    EXPECT_LT(after.rssAnonKb - before.rssAnonKb, kSlackKb);
    // The first line of the growth is the block.
    const std::string growth = touched.Growth(before, 3);
    EXPECT_TRUE(growth.substr(0, growth.find('\n')).ends_with(" MB  [anon]")) << growth;
    EXPECT_EQ(touched.Growth(touched, 3), "");
}

TEST(MemorySnapshotTest, CountsDescriptorsAndFileMappings)
{
    char path[] = "/tmp/memory-snapshot-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::vector<char> content(1 << 20, 'k');
    ASSERT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    const CMemorySnapshot before = CMemorySnapshot::Take();
    void* pFile = mmap(nullptr, 1 << 20, PROT_READ, MAP_SHARED, fd, 0);
    ASSERT_NE(pFile, MAP_FAILED);
    volatile char sum = 0;
    for (size_t i = 0; i < (1u << 20); i += 4096)
        sum = static_cast<char>(sum + static_cast<const char*>(pFile)[i]);
    const CMemorySnapshot during = CMemorySnapshot::Take();
    munmap(pFile, 1 << 20);
    close(fd);
    const CMemorySnapshot after = CMemorySnapshot::Take();
    unlink(path);

    EXPECT_EQ(during.nDescriptors, before.nDescriptors);
    EXPECT_EQ(after.nDescriptors, before.nDescriptors - 1);
    EXPECT_GE(during.nThreads, 1);
    ASSERT_EQ(during.rssKbByMapping.count(path), 1u);
    EXPECT_EQ(during.rssKbByMapping.at(path), 1024);
    EXPECT_EQ(before.rssKbByMapping.count(path), 0u);
}

TEST(MemorySnapshotTest, SeesMallocBlocksInUseAndFreedBlocksKept)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator replaces malloc and its statistics";
#endif
    const CMemorySnapshot before = CMemorySnapshot::Take();
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 4096; ++i) {
        blocks.emplace_back(new char[4096]);
        std::memset(blocks.back().get(), i, 4096);
    }
    const CMemorySnapshot during = CMemorySnapshot::Take();
    // Every other block freed: the holes stay with malloc.
    for (size_t i = 0; i < blocks.size(); i += 2)
        blocks[i].reset();
    const CMemorySnapshot after = CMemorySnapshot::Take();

    EXPECT_GE(during.mallocInUseKb - before.mallocInUseKb, 16 * 1024 - kSlackKb);
    EXPECT_GE(during.mallocHeldKb, during.mallocInUseKb);
    EXPECT_GE(during.mallocInUseKb - after.mallocInUseKb, 8 * 1024 - kSlackKb);
    EXPECT_GE(after.mallocFreeKb - during.mallocFreeKb, 8 * 1024 - kSlackKb);
}

} // namespace
