#include "TestSoundServer.h"

#include "EventLoopWait.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

QString Pactl(const QStringList& arguments, bool* pbOk = nullptr)
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), arguments);
    const bool bOk = pactl.waitForFinished(10000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
    if (pbOk != nullptr)
        *pbOk = bOk;
    return QString::fromUtf8(pactl.readAllStandardOutput());
}

} // namespace

CTestSoundServer::CTestSoundServer()
{
    const std::string runtime = m_dir.Path() + "/pulse";
    // The server and every client of this process (pulsesink, pactl) meet
    // in the test's folder, never in the user's session.
    ::setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
    ::setenv("PULSE_RUNTIME_PATH", runtime.c_str(), 1);
    ::setenv("PULSE_SERVER", ("unix:" + runtime + "/native").c_str(), 1);
    ::unsetenv("PULSE_SINK");
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.setStandardOutputFile(QProcess::nullDevice());
}

CTestSoundServer::~CTestSoundServer()
{
    Stop();
}

bool CTestSoundServer::Start()
{
    Stop();
    m_server.start(QStringLiteral("pulseaudio"),
                   {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                    "--log-level=error", "-L", "module-null-sink", "-L", "module-native-protocol-unix"});
    return m_server.waitForStarted(10000) && WaitFor([&] { return _Answers(); }, 30000);
}

void CTestSoundServer::Stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.kill();
    m_server.waitForFinished(10000);
}

std::string CTestSoundServer::SinkInputs() const
{
    return Pactl({"list", "sink-inputs"}).toStdString();
}

std::vector<int16_t> CTestSoundServer::Heard(int msLength) const
{
    QProcess parec;
    parec.start(QStringLiteral("parec"), {"--raw", "--format=s16le", "--channels=1",
                                          QStringLiteral("--rate=%1").arg(kMonitorRate), "--device=null.monitor",
                                          "--latency-msec=20"});
    if (!parec.waitForStarted(10000))
        return {};
    WaitFor([] { return false; }, msLength);
    parec.kill();
    parec.waitForFinished(10000);
    const QByteArray bytes = parec.readAllStandardOutput();
    const auto* pSamples = reinterpret_cast<const int16_t*>(bytes.constData());
    return std::vector<int16_t>(pSamples, pSamples + bytes.size() / 2);
}

double CTestSoundServer::HeardFrequency(int msLength) const
{
    const std::vector<int16_t> samples = Heard(msLength);
    int cCrossings = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        cCrossings += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
    return !samples.empty() ? cCrossings / 2.0 * kMonitorRate / static_cast<double>(samples.size()) : 0;
}

// A tone passes near zero for a sample or two at each crossing; a gap is
// quiet for far longer.
int CTestSoundServer::LongestGapMs(const std::vector<int16_t>& samples)
{
    constexpr int kQuiet = 300;
    auto loud = [](int16_t sample) { return std::abs(sample) >= kQuiet; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    size_t longest = 0;
    size_t run = 0;
    for (auto it = first; it < last; ++it) {
        run = loud(*it) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return static_cast<int>(longest * 1000 / kMonitorRate);
}

bool CTestSoundServer::_Answers() const
{
    bool bOk = false;
    Pactl({"info"}, &bOk);
    return bOk;
}
