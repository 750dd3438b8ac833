#include "TestSoundServer.h"

#include "EventLoopWait.h"

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

double CTestSoundServer::HeardFrequency(int msLength) const
{
    constexpr int kRate = 8000;
    QProcess parec;
    parec.start(QStringLiteral("parec"), {"--raw", "--format=s16le", "--channels=1", QStringLiteral("--rate=%1").arg(kRate),
                                          "--device=null.monitor", "--latency-msec=20"});
    if (!parec.waitForStarted(10000))
        return 0;
    WaitFor([] { return false; }, msLength);
    parec.kill();
    parec.waitForFinished(10000);
    const QByteArray bytes = parec.readAllStandardOutput();
    const auto* pSamples = reinterpret_cast<const int16_t*>(bytes.constData());
    const qsizetype cSamples = bytes.size() / 2;
    int cCrossings = 0;
    for (qsizetype i = 1; i < cSamples; ++i)
        cCrossings += (pSamples[i - 1] < 0) != (pSamples[i] < 0) ? 1 : 0;
    return cSamples > 0 ? cCrossings / 2.0 * kRate / static_cast<double>(cSamples) : 0;
}

bool CTestSoundServer::_Answers() const
{
    bool bOk = false;
    Pactl({"info"}, &bOk);
    return bOk;
}
