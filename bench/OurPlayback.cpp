#include "OurPlayback.h"

#include "common/Report.h"
#include "playback/MediaGraph.h"

#include <cstdio>
#include <cstdlib>

COurPlayback::COurPlayback(QWidget* pScreenWnd, const std::string& libraryDir) : m_graph(libraryDir)
{
    if (m_graph.Init(pScreenWnd) != S_OK) {
        std::fprintf(stderr, "cannot start the graph controller: %s\n", LastReport().c_str());
        std::exit(1);
    }
}

bool COurPlayback::Start(const std::string& path, bool)
{
    if (m_graph.Play(path.c_str()) == S_OK)
        return true;
    std::fprintf(stderr, "ours cannot play %s: %s\n", path.c_str(), LastReport().c_str());
    return false;
}

void COurPlayback::Stop()
{
    m_graph.Stop();
}

// The player learns of the end as event 1 from GetEvent.
CPlayback::Outcome COurPlayback::_WaitForEvent(int msTimeout)
{
    long lEvent = 0;
    intptr_t lParam1 = 0;
    intptr_t lParam2 = 0;
    if (m_graph.GetEvent(&lEvent, &lParam1, &lParam2, msTimeout) != S_OK)
        return Outcome::Nothing;
    m_graph.FreeEventParams(lEvent, lParam1, lParam2);
    if (lEvent == EC_COMPLETE)
        return Outcome::End;
    if (lEvent != EC_ERRORABORT)
        return Outcome::Nothing;
    std::fprintf(stderr, "ours failed while playing: 0x%08x\n", static_cast<unsigned>(lParam1));
    return Outcome::Failure;
}
