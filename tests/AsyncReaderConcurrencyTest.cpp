#include "ReaderTestSupport.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace {

constexpr size_t kFileSize = 256 * 1024;
constexpr int kRequestsPerThread = 400;
constexpr int kSampleSize = 512;

// Checks that a completed sample holds the file's bytes for its range.
bool HoldsFileBytes(IMediaSample* pSample, const std::string& content)
{
    auto [first, last] = SampleRange(pSample);
    BYTE* pb = nullptr;
    pSample->GetPointer(&pb);
    return last >= first && std::memcmp(pb, content.data() + first, static_cast<size_t>(last - first)) == 0;
}

class ReaderConcurrencyTest : public ReaderTest {
protected:
    void SetUp() override
    {
        ReaderTest::SetUp();
        m_content = PatternBytes(kFileSize);
        ASSERT_EQ(Load(m_dir.WriteFile("data.bin", m_content)), S_OK);
    }

    // Requests samples at scattered positions (some past the end) in rounds,
    // and takes as many completed requests as it made, whoever made them.
    // The buffers outlive every thread: another thread may hold a sample
    // over them after their requester is done.
    void RequestAndWait(int seed, std::vector<std::vector<BYTE>>& buffers)
    {
        for (int i = 0; i < kRequestsPerThread; ++i) {
            LONGLONG first = (static_cast<LONGLONG>(seed) * 7919 + i * 104729) % (kFileSize + 1000);
            SamplePtr pSample = MakeSample(buffers[i], first, first + kSampleSize);
            ASSERT_EQ(Pin()->Request(pSample.release(), static_cast<DWORD>(i)), S_OK);
            IMediaSample* pDone = nullptr;
            DWORD dwUser = 0;
            HRESULT hr = VFW_E_WRONG_STATE;
            while (hr == VFW_E_WRONG_STATE)
                hr = Pin()->WaitForNext(INFINITE, &pDone, &dwUser);
            ASSERT_EQ(hr, S_OK);
            if (!HoldsFileBytes(pDone, m_content))
                ++m_badSamples;
            pDone->Release();
        }
    }

    void ReadSynchronously(int seed)
    {
        std::vector<BYTE> buffer(kSampleSize);
        for (int i = 0; i < kRequestsPerThread; ++i) {
            LONGLONG first = (static_cast<LONGLONG>(seed) * 31 + i * 4099) % (kFileSize - kSampleSize);
            if (Pin()->SyncRead(first, kSampleSize, buffer.data()) != S_OK ||
                std::memcmp(buffer.data(), m_content.data() + first, kSampleSize) != 0)
                ++m_badSamples;
            SamplePtr pSample = MakeSample(buffer, first, first + kSampleSize);
            if (Pin()->SyncReadAligned(pSample.get()) != S_OK || !HoldsFileBytes(pSample.get(), m_content))
                ++m_badSamples;
        }
    }

    std::string m_content;
    std::atomic<int> m_badSamples{0};
};

TEST_F(ReaderConcurrencyTest, RequestsSyncReadsAndFlushesFromManyThreadsKeepEveryByteInPlace)
{
    std::atomic<bool> isDone{false};
    std::vector<std::thread> threads;
    std::vector<std::vector<std::vector<BYTE>>> buffers(
        3, std::vector<std::vector<BYTE>>(kRequestsPerThread, std::vector<BYTE>(kSampleSize)));
    for (int seed = 0; seed < 3; ++seed)
        threads.emplace_back([this, seed, &buffers] { RequestAndWait(seed, buffers[seed]); });
    for (int seed = 0; seed < 2; ++seed)
        threads.emplace_back([this, seed] { ReadSynchronously(seed); });
    std::thread flusher([&] {
        while (!isDone) {
            Pin()->BeginFlush();
            std::this_thread::yield();
            Pin()->EndFlush();
        }
    });
    for (std::thread& thread : threads)
        thread.join();
    isDone = true;
    flusher.join();
    EXPECT_EQ(m_badSamples, 0);
    IMediaSample* pDone = nullptr;
    DWORD dwUser = 0;
    EXPECT_EQ(Pin()->WaitForNext(0, &pDone, &dwUser), VFW_E_TIMEOUT);
}

TEST_F(ReaderConcurrencyTest, ManyWaitersAllGetTheirRequests)
{
    constexpr int kWaiters = 4;
    std::vector<std::vector<BYTE>> buffers(kWaiters * 50, std::vector<BYTE>(kSampleSize));
    std::atomic<int> taken{0};
    std::vector<std::thread> waiters;
    for (int w = 0; w < kWaiters; ++w) {
        waiters.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                IMediaSample* pDone = nullptr;
                DWORD dwUser = 0;
                ASSERT_EQ(Pin()->WaitForNext(INFINITE, &pDone, &dwUser), S_OK);
                if (!HoldsFileBytes(pDone, m_content))
                    ++m_badSamples;
                pDone->Release();
                ++taken;
            }
        });
    }
    for (size_t i = 0; i < buffers.size(); ++i) {
        LONGLONG first = static_cast<LONGLONG>(i) * kSampleSize;
        ASSERT_EQ(Pin()->Request(MakeSample(buffers[i], first, first + kSampleSize).release(), 0), S_OK);
    }
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(taken, kWaiters * 50);
    EXPECT_EQ(m_badSamples, 0);
}

} // namespace
