#include "instance/SharedMemory.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class SharedMemoryTest : public ::testing::Test {
protected:
    void TearDown() override { ::shm_unlink(m_name.c_str()); }

    bool Exists() const
    {
        struct stat st {};
        return ::stat(("/dev/shm" + m_name).c_str(), &st) == 0;
    }

    // Makes the object as some other program might have left it.
    void Plant(mode_t mode, off_t cb)
    {
        int fd = ::shm_open(m_name.c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::fchmod(fd, mode), 0);
        ASSERT_EQ(::ftruncate(fd, cb), 0);
        ::close(fd);
    }

    // Unique per run: a run that crashed may have left its object behind.
    std::string m_name = "/korvotest-shm-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device()());
};

TEST_F(SharedMemoryTest, TheLastHolderRemovesTheName)
{
    CSharedMemory first;
    ASSERT_EQ(first.Create(m_name, 4356), S_OK);
    EXPECT_FALSE(first.AlreadyExisted());
    struct stat st {};
    ASSERT_EQ(::stat(("/dev/shm" + m_name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    CSharedMemory second;
    ASSERT_EQ(second.Create(m_name, 4356), S_OK);
    EXPECT_TRUE(second.AlreadyExisted());
    void* pFirst = nullptr;
    void* pSecond = nullptr;
    ASSERT_EQ(first.Map(&pFirst), S_OK);
    ASSERT_EQ(second.Map(&pSecond), S_OK);
    std::strcpy(static_cast<char*>(pFirst) + 4, "shared");
    EXPECT_STREQ(static_cast<char*>(pSecond) + 4, "shared");

    second.Close();
    EXPECT_TRUE(Exists());
    first.Close();
    EXPECT_FALSE(Exists());
}

TEST_F(SharedMemoryTest, AnObjectOthersCanReadIsRefused)
{
    Plant(0644, 4356);
    CSharedMemory memory;
    EXPECT_EQ(memory.Create(m_name, 4356), ERROR_ACCESS_DENIED);
}

TEST_F(SharedMemoryTest, AnUndersizedObjectIsGrownBeforeUse)
{
    Plant(0600, 10);
    CSharedMemory memory;
    ASSERT_EQ(memory.Create(m_name, 4356), S_OK);
    EXPECT_TRUE(memory.AlreadyExisted());
    void* pView = nullptr;
    ASSERT_EQ(memory.Map(&pView), S_OK);
    static_cast<char*>(pView)[4355] = 1;
}

TEST_F(SharedMemoryTest, AHolderThatDiesLeavesTheContentBehind)
{
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSharedMemory memory;
        void* pView = nullptr;
        if (memory.Create(m_name, 4356) != S_OK || memory.Map(&pView) != S_OK)
            ::_exit(1);
        std::strcpy(static_cast<char*>(pView), "left");
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    CSharedMemory memory;
    ASSERT_EQ(memory.Create(m_name, 4356), S_OK);
    EXPECT_TRUE(memory.AlreadyExisted());
    void* pView = nullptr;
    ASSERT_EQ(memory.Map(&pView), S_OK);
    EXPECT_STREQ(static_cast<char*>(pView), "left");
}

} // namespace
